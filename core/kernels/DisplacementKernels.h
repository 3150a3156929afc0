#pragma once

// The displacement's resampling of one stretch of a row. The plain version is the reference; the
// fast one runs the same IEEE operations in the same order on whole vectors (Highway, the best
// instruction set of the machine chosen at run time; no fused multiply-add), so it gives the same
// pixels bit for bit.

#include "core/Image.h"

namespace Velvor {

// out[j] for j in [begin, begin + count) of one row is the bilinear sample of the source at
// (j + dx, row + dy), both wrapped into the image. The shifts come from tables indexed by a byte of
// the modulator pixel (modulator[j] >> byteShift & 0xFF), or, with shiftsPerPixel, from arrays
// indexed by j - begin.
struct DisplacementSpan {
    const Pixel* source = nullptr; // width * height pixels
    int width = 0;
    int height = 0;
    int row = 0;
    int begin = 0;
    int count = 0;
    const Pixel* modulator = nullptr; // the modulator's row
    Pixel* out = nullptr;             // the output row
    const double* shiftX = nullptr;
    const double* shiftY = nullptr;
    unsigned byteShiftX = 0;
    unsigned byteShiftY = 0;
    bool shiftsPerPixel = false;
};
void displacePlain(const DisplacementSpan& span);
void displaceFast(const DisplacementSpan& span);

} // namespace Velvor
