#include "core/Mixer.h"

#include "core/ColourSpace.h"
#include "core/MixerKernels.h"

#include <algorithm>
#include <cmath>

namespace Velvor {

namespace {

using Weight = std::uint32_t;

std::uint32_t scaled(Pixel pixel, unsigned shift, Weight weight) {
    return (((pixel >> shift) & 0xFFu) * weight) >> 8;
}

Pixel scaleRgb(Pixel pixel, Weight weight) {
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

// Turns A's hue by B's magnitude; the output keeps the alpha it had.
void rotateHue(const Pixel* a, const Pixel* b, Pixel* out, int count, Weight weightA, float turnPerUnit) {
    for (int p = 0; p < count; ++p) {
        Hsv hsv = rgbToHsv(scaleRgb(a[p], weightA));
        // hsvToRgb brings the hue back into one turn.
        hsv.hue += magnitude(b[p]) * turnPerUnit;
        hsvToRgb(hsv.hue, hsv.saturation, hsv.value, out[p]);
    }
}

// Raises A's saturation by B's magnitude; the output keeps the alpha it had.
void saturate(const Pixel* a, const Pixel* b, Pixel* out, int count, Weight weightA, float gainPerUnit) {
    for (int p = 0; p < count; ++p) {
        Hsv hsv = rgbToHsv(scaleRgb(a[p], weightA));
        hsv.saturation = std::min(hsv.saturation + magnitude(b[p]) * gainPerUnit, 255.0f);
        hsvToRgb(hsv.hue, hsv.saturation, hsv.value, out[p]);
    }
}

} // namespace

Mixer::Mixer(int width, int height) : Operator(OperatorType::Mixer, 2, width, height, mixerFields) {}

void Mixer::generate(const Image* const* inputs) {
    const int count = image_.getPixelCount();
    // Unknown types, negative ones included, give an all-zero image.
    if (static_cast<std::uint16_t>(type) > Saturation) {
        image_.fill(0);
        return;
    }
    // A missing or mismatched input would be read out of bounds; the image is left as it was.
    if (inputs == nullptr || inputs[0] == nullptr || inputs[1] == nullptr || !inputs[0]->sameSizeAs(image_) ||
        !inputs[1]->sameSizeAs(image_) || count == 0) {
        return;
    }
    const Pixel* a = inputs[0]->getPixels();
    const Pixel* b = inputs[1]->getPixels();
    Pixel* out = image_.getPixels();
    const Weight weightA = weightOf(amountA);
    const float amountBAsFactor = static_cast<float>(amountB) / 256.0f;

    switch (type) {
    case Add:
        addFast(a, b, out, count, amountA, amountB);
        break;
    case Multiply:
        multiplyFast(a, b, out, count, amountA, amountB);
        break;
    case Hue:
        rotateHue(a, b, out, count, weightA, amountBAsFactor * 1.4117647f); // 360 / 255
        break;
    case Saturation:
        saturate(a, b, out, count, weightA, amountBAsFactor / 255.0f);
        break;
    }
}

} // namespace Velvor
