#pragma once

#include <string>
#include <string_view>

// File name of collector k: "<k>_<name>.png", every character of the name outside A-Z a-z 0-9 . _ -
// replaced by '_' so that no name can leave the output folder or make an unusable path.
std::string collectorFileName(std::size_t k, std::string_view name);
