#include "base/TextFormat.h"

#include <cstdio>
#include <limits>

std::string formatPoint(Point point) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%i,%i", static_cast<int>(point.x), static_cast<int>(point.y));
    return buffer;
}

Point parsePoint(std::string_view text) {
    std::string first;
    std::string second;
    bool afterComma = false;
    for (char c : text) {
        if (c == ' ') {
            continue;
        }
        if (c == ',' && !afterComma) {
            afterComma = true;
            continue;
        }
        (afterComma ? second : first) += c;
    }
    return Point{parseDecimal(first), parseDecimal(second)};
}

std::string formatHex32(std::int32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08X", static_cast<unsigned>(static_cast<std::uint32_t>(value)));
    return buffer;
}

std::int32_t parseHex(std::string_view text) {
    const std::string folded = toLower(text);
    std::uint32_t sum = 0;
    std::uint32_t weight = 1;
    for (auto it = folded.rbegin(); it != folded.rend(); ++it) {
        const char c = *it;
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        }
        sum += digit * weight;
        weight *= 16;
    }
    return static_cast<std::int32_t>(sum);
}

std::string toLower(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

std::int32_t parseDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulate as a negative number so that INT32_MIN is reachable; saturate past the range.
    constexpr std::int64_t limit = std::numeric_limits<std::int32_t>::max();
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit + 1) {
            magnitude = limit + 1;
        }
    }
    if (negative) {
        return static_cast<std::int32_t>(-magnitude);
    }
    return static_cast<std::int32_t>(magnitude > limit ? limit : magnitude);
}
