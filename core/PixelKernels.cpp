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

} // namespace

void rotateHuePlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                    float turnPerUnit) {
    for (int p = 0; p < count; ++p) {
        Hsv hsv = rgbToHsv(scaleRgb(a[p], weightA));
        // hsvToRgb brings the hue back into one turn.
        hsv.hue += magnitude(b[p]) * turnPerUnit;
        hsvToRgb(hsv.hue, hsv.saturation, hsv.value, out[p]);
    }
}

void saturatePlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                   float gainPerUnit) {
    for (int p = 0; p < count; ++p) {
        Hsv hsv = rgbToHsv(scaleRgb(a[p], weightA));
        hsv.saturation = std::min(hsv.saturation + magnitude(b[p]) * gainPerUnit, 255.0f);
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

} // namespace Velvor
