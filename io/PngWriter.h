#pragma once

#include "core/Image.h"

#include <cstdint>
#include <string>
#include <vector>

// An image as an 8-bit RGBA PNG, the picture as displayed: the first PNG row is the image's last
// row. Alpha is taken from the pixel word unless `opaque` asks for 255 everywhere.
// Raises Exception for an image without pixels or when the encoder fails.
std::vector<std::uint8_t> encodePng(const Velvor::Image& image, bool opaque);

// Encodes the image and writes it with writeFile (base/File.h), so a failure leaves whatever was at
// the path untouched. Raises Exception "Could not write file <path> (<reason>)" on failure.
void writePng(const std::string& path, const Velvor::Image& image, bool opaque);
