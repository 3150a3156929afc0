#pragma once

// The plasma's interpolation: the cubic through four lattice values, and its vertical pass over a
// span of pixels. The plain row is the reference; the fast one runs the same IEEE single-precision
// operations in the same order on whole vectors (Highway, the best instruction set of the machine
// chosen at run time; no fused multiply-add), so it gives the same pixels bit for bit.

#include "core/Image.h"

#include <algorithm>

namespace Velvor {

// The interpolation through y1 (t = 0) and y2 (t = 1), in single precision.
inline float cubic(float y0, float y1, float y2, float y3, float t) {
    const float p = (y3 - y2) - (y0 - y1);
    const float q = (y0 - y1) - p;
    const float r = y2 - y0;
    return p * t * t * t + q * t * t + r * t + y1;
}

// An interpolated value as a byte: truncated and held to 0..255 (the cubic overshoots its lattice
// values).
inline int clampToByte(float value) {
    const int truncated = static_cast<int>(std::clamp(value, -1.0f, 256.0f));
    return std::clamp(truncated, 0, 255);
}

// out[k] = tint[v], v the cubic through the red bytes of rows[0..3][k] at t, as clampToByte gives it.
void cubicRowPlain(const Pixel* const rows[4], const Pixel* tint, Pixel* out, int count, float t);
void cubicRowFast(const Pixel* const rows[4], const Pixel* tint, Pixel* out, int count, float t);

} // namespace Velvor
