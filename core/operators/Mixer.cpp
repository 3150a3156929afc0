#include "core/operators/Mixer.h"

#include "core/kernels/MixerKernels.h"
#include "core/parallel/ImageBands.h"
#include "core/parallel/Parallel.h"

namespace Velvor {

Mixer::Mixer(int width, int height) : Operator(OperatorType::Mixer, 2, width, height, mixerFields) {}

void Mixer::generate(const Image* const* inputs) {
    const int count = image_.getPixelCount();
    // Unknown types, negative ones included, give an all-zero image.
    if (static_cast<std::uint16_t>(type) > Saturation) {
        fillInBands(image_, 0);
        return;
    }
    if (!inputsFit(*this, portsOf(inputs)) || count == 0) {
        return;
    }
    const Pixel* a = inputs[0]->getPixels();
    const Pixel* b = inputs[1]->getPixels();
    Pixel* out = image_.getPixels();
    const std::uint32_t weightA = weightOf(amountA);
    const float amountBAsFactor = static_cast<float>(amountB) / 256.0f;
    const float turnPerUnit = amountBAsFactor * 1.4117647f; // 360 / 255
    const float gainPerUnit = amountBAsFactor / 255.0f;
    const std::int16_t blend = type;
    const std::int16_t weightAmountA = amountA;
    const std::int16_t weightAmountB = amountB;

    // Every pixel depends on its own inputs only, so the image splits into any spans.
    forEachBand(count, pixelsPerBand, [&](int begin, int end) {
        const int n = end - begin;
        switch (blend) {
        case Add:
            addFast(a + begin, b + begin, out + begin, n, weightAmountA, weightAmountB);
            break;
        case Multiply:
            multiplyFast(a + begin, b + begin, out + begin, n, weightAmountA, weightAmountB);
            break;
        case Hue:
            rotateHueFast(a + begin, b + begin, out + begin, n, weightA, turnPerUnit);
            break;
        case Saturation:
            saturateFast(a + begin, b + begin, out + begin, n, weightA, gainPerUnit);
            break;
        }
    });
}

} // namespace Velvor
