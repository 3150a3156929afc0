#pragma once

// A node's name as windows show it: at most a few hundred characters, so that a huge name from a file
// costs nothing to lay out (the name itself is kept whole).

#include <QString>
#include <string>

inline QString shownName(const std::string& name) {
    constexpr std::size_t longest = 256;
    if (name.size() <= longest) {
        return QString::fromStdString(name);
    }
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(longest)) + QChar(0x2026);
}
