#include "core/kernels/DisplacementKernels.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace Velvor {

namespace {

// A sample position split into a whole index inside [0, size) and the fraction towards the next one.
struct Coordinate {
    int index;
    float fraction;
};

Coordinate wrapCoordinate(float position, int size) {
    const auto limit = static_cast<float>(size);
    if (position >= limit || position < 0.0f) {
        position = std::fmod(position, limit);
        if (position < 0.0f) {
            position += limit;
        }
        // A tiny negative position plus the size can round up to the size itself.
        if (position >= limit) {
            position = 0.0f;
        }
    }
    // Sizes beyond 2^24 are not exact in float; keep the index inside even then.
    const int index = std::min(static_cast<int>(position), size - 1);
    return {index, position - static_cast<float>(index)};
}

// a + t(b - a) rather than a sum of four weighted samples, which in float turns a flat 255 into
// 254.99998 and so truncates to 254. Here equal values come back exactly, and no result falls below
// the lowest sample m: when b < a, the rounded b - a is no lower than m - a, which is exact in float
// for these magnitudes, so a + t(b - a) >= m for t in [0, 1). Rounding can lift a result only by far
// less than one above the highest sample, which truncation removes.
float lerp(float a, float b, float t) {
    return a + t * (b - a);
}

// Two horizontal blends, then one vertical: the bilinear weights of the four neighbours.
Pixel bilinear(Pixel p00, Pixel p10, Pixel p01, Pixel p11, float fx, float fy) {
    Pixel result = 0;
    for (unsigned shift = 0; shift < 32; shift += 8) {
        const float top =
            lerp(static_cast<float>((p00 >> shift) & 0xFFu), static_cast<float>((p10 >> shift) & 0xFFu), fx);
        const float bottom =
            lerp(static_cast<float>((p01 >> shift) & 0xFFu), static_cast<float>((p11 >> shift) & 0xFFu), fx);
        result |= static_cast<Pixel>(lerp(top, bottom, fy)) << shift;
    }
    return result;
}

} // namespace

void displacePlain(const DisplacementSpan& span) {
    const int width = span.width;
    const int height = span.height;
    for (int k = 0; k < span.count; ++k) {
        const int j = span.begin + k;
        const Pixel m = span.modulator[j];
        const double dx = span.shiftX[span.shiftsPerPixel ? k : (m >> span.byteShiftX) & 0xFFu];
        const double dy = span.shiftY[span.shiftsPerPixel ? k : (m >> span.byteShiftY) & 0xFFu];
        const Coordinate x = wrapCoordinate(static_cast<float>(dx + j), width);
        const Coordinate y = wrapCoordinate(static_cast<float>(dy + span.row), height);

        const int nextColumn = x.index + 1 == width ? 0 : x.index + 1;
        const Pixel* row0 = span.source + static_cast<std::ptrdiff_t>(y.index) * width;
        const Pixel* row1 =
            span.source + static_cast<std::ptrdiff_t>(y.index + 1 == height ? 0 : y.index + 1) * width;
        span.out[j] = bilinear(row0[x.index], row0[nextColumn], row1[x.index], row1[nextColumn], x.fraction,
                               y.fraction);
    }
}

} // namespace Velvor
