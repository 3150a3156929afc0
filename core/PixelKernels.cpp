#include "core/PixelKernels.h"

#include "core/ColourSpace.h"
#include "core/SubPlasma.h"

#include <algorithm>
#include <cmath>

namespace Velvor {

namespace {

std::uint32_t scaled(Pixel pixel, unsigned shift, std::uint32_t weight) {
    return (((pixel >> shift) & 0xFFu) * weight) >> 8;
}

Pixel scaleRgb(Pixel pixel, std::uint32_t weight) {
    Pixel result = 0;
    for (unsigned shift = 0; shift < 24; shift += 8) {
        result |= std::min(scaled(pixel, shift, weight), 255u) << shift;
    }
    return result;
}

// Length of B's colour as a vector, 0 .. about 441.67.
float magnitude(Pixel pixel) {
    const unsigned red = redOf(pixel);
    const unsigned green = greenOf(pixel);
    const unsigned blue = blueOf(pixel);
    return std::sqrt(static_cast<float>(red * red + green * green + blue * blue));
}

int channelSum(Pixel p) {
    return static_cast<int>(redOf(p) + greenOf(p) + blueOf(p));
}

Pixel toNormalComponent(float n) {
    // n lies in [-1, 1]; the clamp only absorbs rounding just outside it.
    return static_cast<Pixel>(std::clamp(n * 127.5f + 127.5f, 0.0f, 255.0f));
}

int clampToByte(float value) {
    const int truncated = static_cast<int>(std::clamp(value, -1.0f, 256.0f));
    return std::clamp(truncated, 0, 255);
}

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

void rotateHuePlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                    float turnPerUnit) {
    for (int p = 0; p < count; ++p) {
        Hsv hsv = rgbToHsv(scaleRgb(a[p], weightA));
        // hsvToRgb brings the hue back into one turn.
        hsv.hue += magnitude(b[p]) * turnPerUnit;
        out[p] = 0;
        hsvToRgb(hsv.hue, hsv.saturation, hsv.value, out[p]);
    }
}

void saturatePlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                   float gainPerUnit) {
    for (int p = 0; p < count; ++p) {
        Hsv hsv = rgbToHsv(scaleRgb(a[p], weightA));
        hsv.saturation = std::min(hsv.saturation + magnitude(b[p]) * gainPerUnit, 255.0f);
        out[p] = 0;
        hsvToRgb(hsv.hue, hsv.saturation, hsv.value, out[p]);
    }
}

// The cross product of the tangents (1, 0, sx) and (0, 1, sy) is (-sx, -sy, 1), so normalising it
// once gives the same normal as normalising the tangents first.
void normalsPlain(const Pixel* left, const Pixel* right, const Pixel* above, const Pixel* below, Pixel* out,
                  int count, float slopePerSum) {
    for (int k = 0; k < count; ++k) {
        const float sx = static_cast<float>(channelSum(right[k]) - channelSum(left[k])) * slopePerSum;
        const float sy = static_cast<float>(channelSum(above[k]) - channelSum(below[k])) * slopePerSum;
        const float inverseLength = 1.0f / std::sqrt(sx * sx + sy * sy + 1.0f);
        out[k] = (toNormalComponent(-sx * inverseLength) << 16) |
                 (toNormalComponent(-sy * inverseLength) << 8) | toNormalComponent(inverseLength);
    }
}

void cubicRowPlain(const Pixel* const rows[4], const Pixel* tint, Pixel* out, int count, float t) {
    for (int j = 0; j < count; ++j) {
        const float v =
            cubic(static_cast<float>(redOf(rows[0][j])), static_cast<float>(redOf(rows[1][j])),
                  static_cast<float>(redOf(rows[2][j])), static_cast<float>(redOf(rows[3][j])), t);
        out[j] = tint[clampToByte(v)];
    }
}

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
