#pragma once

// RGB <-> HSV on a 0..255 scale for every component (a hue of 255 is one full turn), in single
// precision. Header-only so the per-pixel loops of the mixer and the displacement inline it.

#include "core/Image.h"

#include <algorithm>
#include <cmath>

namespace Velvor {

struct Hsv {
    float hue = 0.0f;
    float saturation = 0.0f;
    float value = 0.0f;
};

inline Hsv rgbToHsv(Pixel pixel) {
    const auto red = static_cast<float>(redOf(pixel));
    const auto green = static_cast<float>(greenOf(pixel));
    const auto blue = static_cast<float>(blueOf(pixel));
    const float largest = std::max({red, green, blue});
    const float smallest = std::min({red, green, blue});

    Hsv hsv;
    hsv.value = largest;
    if (largest != 0.0f) {
        hsv.saturation = (largest - smallest) / largest * 255.0f;
    }
    if (hsv.saturation == 0.0f) {
        return hsv;
    }
    const float spread = largest - smallest;
    float sector;
    if (largest == red) {
        sector = (green - blue) / spread;
    } else if (largest == green) {
        sector = (blue - red) / spread + 2.0f;
    } else {
        sector = (red - green) / spread + 4.0f;
    }
    // sector lies in [-1, 5], so one correction brings the hue into [0, 255).
    hsv.hue = sector * 42.5f;
    if (hsv.hue < 0.0f) {
        hsv.hue += 255.0f;
    }
    return hsv;
}

namespace colourSpaceDetail {

// Same result as adding or subtracting whole turns one at a time (each such step is exact below
// 2^24), but bounded in time for any input.
inline float wrapHue(float hue) {
    if (!std::isfinite(hue)) {
        return 0.0f;
    }
    if (hue < 0.0f || hue >= 255.0f) {
        hue = std::fmod(hue, 255.0f);
        if (hue < 0.0f) {
            hue += 255.0f;
        }
        if (hue >= 255.0f) { // a tiny negative hue plus one turn rounds to 255
            hue -= 255.0f;
        }
    }
    return hue;
}

// Clamps at 255, then truncates. Negative values and NaN, which no operator produces, give 0
// rather than an undefined conversion.
inline Pixel channelByte(float value) {
    if (!(value > 0.0f)) {
        return 0;
    }
    if (value > 255.0f) {
        return 255;
    }
    return static_cast<Pixel>(value);
}

} // namespace colourSpaceDetail

// Writes red, green and blue of `target`; its alpha byte is left as it was.
inline void hsvToRgb(float hue, float saturation, float value, Pixel& target) {
    using namespace colourSpaceDetail;
    hue = wrapHue(hue);
    float red = value;
    float green = value;
    float blue = value;
    if (saturation != 0.0f) {
        const float position = hue / 42.5f;
        const int sector = std::min(static_cast<int>(position), 5); // position >= 0: truncation is floor
        const float fraction = position - static_cast<float>(sector);
        const float s = saturation / 255.0f;
        const float p = value * (1.0f - s);
        const float q = value * (1.0f - fraction * s);
        const float t = value * (1.0f - (1.0f - fraction) * s);
        // (red, green, blue) by sector of the colour wheel.
        const float table[6][3] = {{value, t, p}, {q, value, p}, {p, value, t},
                                   {p, q, value}, {t, p, value}, {value, p, q}};
        red = table[sector][0];
        green = table[sector][1];
        blue = table[sector][2];
    }
    target =
        (target & 0xFF000000u) | (channelByte(red) << 16) | (channelByte(green) << 8) | channelByte(blue);
}

} // namespace Velvor
