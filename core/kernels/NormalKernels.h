#pragma once

// The normal map's inner loop over a span of pixels. The plain version is the reference; the fast
// one runs the same IEEE single-precision operations in the same order on whole vectors (Highway, the
// best instruction set of the machine chosen at run time; no fused multiply-add, no approximate
// reciprocal or square root), so it gives the same pixels bit for bit.

#include "core/Image.h"

namespace Velvor {

// out[k] is the normal from the four neighbours left[k], right[k], above[k] (the next row) and
// below[k] (the previous row); slopePerSum turns a difference of channel sums into a slope.
void normalsPlain(const Pixel* left, const Pixel* right, const Pixel* above, const Pixel* below, Pixel* out,
                  int count, float slopePerSum);
void normalsFast(const Pixel* left, const Pixel* right, const Pixel* above, const Pixel* below, Pixel* out,
                 int count, float slopePerSum);

} // namespace Velvor
