#pragma once

// Small synthetic images for operator tests.

#include "core/Image.h"

#include <algorithm>
#include <random>
#include <vector>

inline Velvor::Image imageOf(int width, int height, const std::vector<Velvor::Pixel>& pixels) {
    Velvor::Image image(width, height);
    std::copy(pixels.begin(), pixels.end(), image.getPixels());
    return image;
}

inline Velvor::Image randomImage(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    Velvor::Image image(width, height);
    for (int p = 0; p < image.getPixelCount(); ++p) {
        image.getPixels()[p] = static_cast<Velvor::Pixel>(random());
    }
    return image;
}

inline std::vector<Velvor::Pixel> pixelsOf(const Velvor::Image& image) {
    return std::vector<Velvor::Pixel>(image.getPixels(), image.getPixels() + image.getPixelCount());
}
