#pragma once

#include <string>

// The exchange record: the material as material-file text in; on Save, that text and the packed
// bytes out.
struct MaterialData {
    std::string xml;
    std::string packed;
};
