#include "io/FileNamePattern.h"

#include "base/Exception.h"

#include <array>

namespace {

bool isSafe(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

constexpr std::array<std::string_view, 4> fieldNames = {"material", "index", "collector", "slot"};

// Calls literal(text) and field(name) for the pattern's parts in order; raises Exception on a fault.
template <class Literal, class Field>
void walkPattern(std::string_view pattern, const Literal& literal, const Field& field) {
    if (pattern.empty()) {
        throw Exception("the name pattern is empty");
    }
    while (!pattern.empty()) {
        const std::size_t open = pattern.find('{');
        literal(pattern.substr(0, open));
        if (open == std::string_view::npos) {
            return;
        }
        const std::size_t close = pattern.find('}', open);
        if (close == std::string_view::npos) {
            throw Exception("the name pattern leaves a '{' open");
        }
        field(pattern.substr(open + 1, close - open - 1));
        pattern.remove_prefix(close + 1);
    }
}

} // namespace

std::string safeFileNamePart(std::string_view text) {
    std::string safe(text);
    for (char& c : safe) {
        if (!isSafe(c)) {
            c = '_';
        }
    }
    return safe;
}

void checkFileNamePattern(std::string_view pattern) {
    walkPattern(
        pattern,
        [](std::string_view text) {
            for (const char c : text) {
                if (!isSafe(c)) {
                    throw Exception("the name pattern may hold only A-Z a-z 0-9 . _ - besides its fields "
                                    "{material}, {index}, {collector} and {slot}");
                }
            }
        },
        [](std::string_view name) {
            for (const std::string_view known : fieldNames) {
                if (name == known) {
                    return;
                }
            }
            throw Exception("the name pattern names the unknown field {" + std::string(name) +
                            "}; known are {material}, {index}, {collector} and {slot}");
        });
}

std::string expandFileNamePattern(std::string_view pattern, const FileNameFields& fields) {
    std::string name;
    walkPattern(
        pattern, [&](std::string_view text) { name += text; },
        [&](std::string_view field) {
            if (field == "material") {
                name += safeFileNamePart(fields.material);
            } else if (field == "index") {
                name += std::to_string(fields.index);
            } else if (field == "collector") {
                name += safeFileNamePart(fields.collector);
            } else {
                name += std::to_string(fields.slot);
            }
        });
    return name + ".png";
}
