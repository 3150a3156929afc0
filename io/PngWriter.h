#pragma once

#include "core/Image.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// An image as an 8-bit RGBA PNG, the picture as displayed: the first PNG row is the image's last
// row. Alpha is taken from the pixel word unless `opaque` asks for 255 everywhere.
// Raises Exception for an image without pixels or of more than 1,000,000 pixels a side (the most
// libpng and most readers take), or when the encoder fails.
std::vector<std::uint8_t> encodePng(const Velvor::Image& image, bool opaque);

// Pixels already in PNG order, top row first, `channels` bytes each: 3 (RGB) or 4 (RGBA).
std::vector<std::uint8_t> encodePngBytes(int width, int height, int channels,
                                         std::span<const std::uint8_t> bytes);

// Encodes the image and writes it with writeFile (base/File.h), so a failure leaves whatever was at
// the path untouched. Raises Exception "Could not write file <path> (<reason>)" on failure.
void writePng(const std::string& path, const Velvor::Image& image, bool opaque);
