#include "core/Displacement.h"

#include "core/ColourSpace.h"
#include "core/Parallel.h"

#include <algorithm>
#include <cmath>

namespace Velvor {

namespace {

bool isHsvChannel(std::int16_t channel) {
    return channel == Displacement::Hue || channel == Displacement::Saturation ||
           channel == Displacement::Brightness;
}

// The chosen modulator channel as a fraction 0..1; unknown channels shift by nothing.
float channelFraction(Pixel modulator, const Hsv& hsv, std::int16_t channel) {
    switch (channel) {
    case Displacement::Red:
        return static_cast<float>(redOf(modulator)) / 255.0f;
    case Displacement::Green:
        return static_cast<float>(greenOf(modulator)) / 255.0f;
    case Displacement::Blue:
        return static_cast<float>(blueOf(modulator)) / 255.0f;
    case Displacement::Hue:
        return hsv.hue / 255.0f;
    case Displacement::Saturation:
        return hsv.saturation / 255.0f;
    case Displacement::Brightness:
        return hsv.value / 255.0f;
    default:
        return 0.0f;
    }
}

// Where a red, green or blue source channel sits in the pixel word; other sources read as 0 through
// the table, whatever byte this picks.
unsigned channelBitShift(std::int16_t channel) {
    switch (channel) {
    case Displacement::Red:
        return 16;
    case Displacement::Green:
        return 8;
    default:
        return 0;
    }
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

Displacement::Displacement(int width, int height)
    : Operator(OperatorType::Displacement, 2, width, height, displacementFields) {}

void Displacement::generate(const Image* const* inputs) {
    // A missing or mismatched input would be read out of bounds; the image is left as it was.
    if (inputs == nullptr || inputs[0] == nullptr || inputs[1] == nullptr || !inputs[0]->sameSizeAs(image_) ||
        !inputs[1]->sameSizeAs(image_) || image_.getPixelCount() == 0) {
        return;
    }
    const Image& source = *inputs[0];
    const Image& modulator = *inputs[1];
    const int width = image_.getWidth();
    const int height = image_.getHeight();
    const bool needsHsv = isHsvChannel(amountXSource) || isHsvChannel(amountYSource);
    // With a red, green or blue source the shift depends on one byte only: tabulate it per run.
    double shiftX[256];
    double shiftY[256];
    for (unsigned v = 0; v < 256; ++v) {
        const Pixel grey = makePixel(0, v, v, v);
        shiftX[v] = static_cast<double>(channelFraction(grey, Hsv{}, amountXSource)) * amountX;
        shiftY[v] = static_cast<double>(channelFraction(grey, Hsv{}, amountYSource)) * amountY;
    }
    const unsigned channelShiftX = channelBitShift(amountXSource);
    const unsigned channelShiftY = channelBitShift(amountYSource);

    forEachBand(height, std::max(1, 16384 / width), [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            const Pixel* modulatorRow = modulator.row(i);
            Pixel* out = image_.row(i);
            for (int j = 0; j < width; ++j) {
                const Pixel m = modulatorRow[j];
                double dx = 0.0;
                double dy = 0.0;
                if (needsHsv) {
                    const Hsv hsv = rgbToHsv(m);
                    dx = static_cast<double>(channelFraction(m, hsv, amountXSource)) * amountX;
                    dy = static_cast<double>(channelFraction(m, hsv, amountYSource)) * amountY;
                } else {
                    dx = shiftX[(m >> channelShiftX) & 0xFFu];
                    dy = shiftY[(m >> channelShiftY) & 0xFFu];
                }
                const Coordinate x = wrapCoordinate(static_cast<float>(dx + j), width);
                const Coordinate y = wrapCoordinate(static_cast<float>(dy + i), height);

                const int nextColumn = x.index + 1 == width ? 0 : x.index + 1;
                const Pixel* row0 = source.row(y.index);
                const Pixel* row1 = source.row(y.index + 1 == height ? 0 : y.index + 1);
                out[j] = bilinear(row0[x.index], row0[nextColumn], row1[x.index], row1[nextColumn],
                                  x.fraction, y.fraction);
            }
        }
    });
}

} // namespace Velvor
