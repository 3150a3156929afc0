#include "gui/closeup/ChannelMode.h"

#include <algorithm>
#include <cstdio>

namespace {

unsigned byteOf(std::uint32_t word, int shift) {
    return (word >> shift) & 0xFFu;
}

std::uint32_t grey(unsigned value) {
    return 0xFF000000u | value * 0x010101u;
}

} // namespace

std::uint32_t shownWord(std::uint32_t word, ChannelMode mode, std::uint32_t checker) {
    switch (mode) {
    case ChannelMode::Red:
        return grey(byteOf(word, 16));
    case ChannelMode::Green:
        return grey(byteOf(word, 8));
    case ChannelMode::Blue:
        return grey(byteOf(word, 0));
    case ChannelMode::Alpha:
        return grey(byteOf(word, 24));
    case ChannelMode::AlphaOverChecker: {
        const unsigned alpha = byteOf(word, 24);
        std::uint32_t out = 0xFF000000u;
        for (const int shift : {16, 8, 0}) {
            const unsigned mixed =
                (byteOf(word, shift) * alpha + byteOf(checker, shift) * (255 - alpha) + 127) / 255;
            out |= mixed << shift;
        }
        return out;
    }
    case ChannelMode::Colour:
        break;
    }
    return word | 0xFF000000u;
}

std::uint32_t checkerWord(int widgetX, int widgetY) {
    return ((widgetX >> 3) + (widgetY >> 3)) % 2 == 0 ? grey(204) : grey(153);
}

AlphaRange alphaRangeOf(const std::uint32_t* words, std::size_t count) {
    AlphaRange range;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned alpha = byteOf(words[i], 24);
        range.lowest = std::min(range.lowest, alpha);
        range.highest = std::max(range.highest, alpha);
    }
    return range;
}

std::string alphaText(const AlphaRange& range) {
    if (range.lowest > range.highest) {
        return {};
    }
    if (range.lowest == range.highest) {
        return "alpha " + std::to_string(range.lowest) + " everywhere";
    }
    return "alpha " + std::to_string(range.lowest) + " to " + std::to_string(range.highest);
}

std::string readingText(int column, int row, std::uint32_t word) {
    char text[96];
    std::snprintf(text, sizeof text, "x %d  y %d  0x%08X  A %u  R %u  G %u  B %u", column, row, word,
                  byteOf(word, 24), byteOf(word, 16), byteOf(word, 8), byteOf(word, 0));
    return text;
}
