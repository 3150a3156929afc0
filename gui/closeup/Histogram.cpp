#include "gui/closeup/Histogram.h"

Histogram histogramOf(const std::uint32_t* words, std::size_t count) {
    Histogram histogram;
    histogram.pixels = count;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t word = words[i];
        ++histogram.counts[0][(word >> 16) & 0xFFu];
        ++histogram.counts[1][(word >> 8) & 0xFFu];
        ++histogram.counts[2][word & 0xFFu];
        ++histogram.counts[3][word >> 24];
    }
    return histogram;
}
