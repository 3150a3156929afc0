#include "core/operators/Displacement.h"

#include "core/ColourSpace.h"
#include "core/kernels/DisplacementKernels.h"
#include "core/parallel/Parallel.h"

#include <algorithm>

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

} // namespace

Displacement::Displacement(int width, int height)
    : Operator(OperatorType::Displacement, 2, width, height, displacementFields) {}

void Displacement::generate(const Image* const* inputs) {
    if (!inputsFit(*this, portsOf(inputs)) || image_.getPixelCount() == 0) {
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

    DisplacementSpan whole;
    whole.source = source.getPixels();
    whole.width = width;
    whole.height = height;
    whole.shiftX = shiftX;
    whole.shiftY = shiftY;
    whole.byteShiftX = channelBitShift(amountXSource);
    whole.byteShiftY = channelBitShift(amountYSource);

    forEachBand(height, rowsPerBand(width), [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            DisplacementSpan span = whole;
            span.row = i;
            span.modulator = modulator.row(i);
            span.out = image_.row(i);
            if (!needsHsv) {
                span.count = width;
                displaceFast(span);
                continue;
            }
            // Hue, saturation and brightness shifts depend on the whole colour: worked out a stretch
            // of the row at a time, on the stack.
            constexpr int stretch = 256;
            double dx[stretch];
            double dy[stretch];
            span.shiftX = dx;
            span.shiftY = dy;
            span.shiftsPerPixel = true;
            for (int j = 0; j < width; j += stretch) {
                span.begin = j;
                span.count = std::min(stretch, width - j);
                for (int k = 0; k < span.count; ++k) {
                    const Pixel m = span.modulator[j + k];
                    const Hsv hsv = rgbToHsv(m);
                    dx[k] = static_cast<double>(channelFraction(m, hsv, amountXSource)) * amountX;
                    dy[k] = static_cast<double>(channelFraction(m, hsv, amountYSource)) * amountY;
                }
                displaceFast(span);
            }
        }
    });
}

} // namespace Velvor
