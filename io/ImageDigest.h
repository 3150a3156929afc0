#pragma once

#include "core/Image.h"

#include <string>

// A fingerprint of an image's pixels for checking that a material still renders the same: the
// 128-bit XXH3 hash of the pixel words as little-endian bytes (blue, green, red, alpha), row 0 first,
// as 32 lowercase hexadecimal digits. The size is not part of it; callers print it beside.
std::string imageDigest(const Velvor::Image& image);
