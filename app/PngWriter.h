#pragma once

#include "core/Image.h"

#include <string>

// Writes an image as an 8-bit RGBA PNG, the picture as displayed: the first PNG row is the image's
// last row. Alpha is taken from the pixel word unless `opaque` asks for 255 everywhere.
// Raises Exception "Could not write file <path>" on failure; a failed write leaves no partial file.
void writePng(const std::string& path, const Velvor::Image& image, bool opaque);
