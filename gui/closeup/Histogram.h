#pragma once

// How many pixels of a picture hold each value, per channel, for the histogram a result window
// shows. Plain counting on pixel words (0xAARRGGBB), no toolkit.

#include <array>
#include <cstddef>
#include <cstdint>

struct Histogram {
    // Red, green, blue and alpha; each 256 counts.
    std::array<std::array<std::uint32_t, 256>, 4> counts{};
    std::size_t pixels = 0;
};

Histogram histogramOf(const std::uint32_t* words, std::size_t count);
