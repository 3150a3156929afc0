#pragma once

// What a close-up view shows of each pixel word (0xAARRGGBB): the colour, one channel as grey, or
// the colour over a checker pattern through its alpha. Plain arithmetic on words, no toolkit.

#include <cstdint>
#include <string>
#include <vector>

enum class ChannelMode { Colour, Red, Green, Blue, Alpha, AlphaOverChecker };

// The opaque word shown for `word`; in AlphaOverChecker mode the colour is laid over `checker` (a
// grey word) by its alpha, rounded to nearest.
std::uint32_t shownWord(std::uint32_t word, ChannelMode mode, std::uint32_t checker = 0xFF000000u);

// The checker behind transparent pixels: squares of 8 widget pixels, light and mid grey.
std::uint32_t checkerWord(int widgetX, int widgetY);

// What the alpha channel of an image holds, for a line in its window ("alpha 0 everywhere": a normal
// map that looks empty over a checker).
struct AlphaRange {
    unsigned lowest = 255;
    unsigned highest = 0;
};
AlphaRange alphaRangeOf(const std::uint32_t* words, std::size_t count);
std::string alphaText(const AlphaRange& range);

// "x 12  y 40  0xFF8080FF  A 255  R 128  G 128  B 255": the place (row counted from the bottom, as
// the operators count) and the word, then its four bytes in decimal.
std::string readingText(int column, int row, std::uint32_t word);
