#include "core/kernels/MixerKernels.h"

#include "core/ColourSpace.h"

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

} // namespace

void addPlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
              std::int16_t amountB) {
    const std::uint32_t weightA = weightOf(amountA);
    const std::uint32_t weightB = weightOf(amountB);
    for (int p = 0; p < count; ++p) {
        Pixel result = 0;
        for (unsigned shift = 0; shift < 32; shift += 8) {
            const std::uint32_t sum =
                (((a[p] >> shift) & 0xFFu) * weightA + ((b[p] >> shift) & 0xFFu) * weightB) >> 8;
            result |= std::min(sum, 255u) << shift;
        }
        out[p] = result;
    }
}

void multiplyPlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
                   std::int16_t amountB) {
    const std::uint32_t weightA = weightOf(amountA);
    const std::uint32_t weightB = weightOf(amountB);
    for (int p = 0; p < count; ++p) {
        Pixel result = 0;
        for (unsigned shift = 0; shift < 32; shift += 8) {
            const std::uint32_t scaledA = (((a[p] >> shift) & 0xFFu) * weightA) >> 8;
            const std::uint32_t scaledB = (((b[p] >> shift) & 0xFFu) * weightB) >> 8;
            result |= std::min((scaledA * scaledB) >> 8, 255u) << shift;
        }
        out[p] = result;
    }
}

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

} // namespace Velvor
