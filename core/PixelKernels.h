#pragma once

// The floating-point inner loops of the Mixer's Hue and Saturation blends, the normal map and the
// plasma's vertical interpolation, each over a span of pixels. The plain versions are the reference;
// the fast ones run the same IEEE single-precision operations in the same order on whole vectors
// (Highway, the best instruction set of the machine chosen at run time; no fused multiply-add, no
// approximate reciprocal or square root), so they give the same pixels bit for bit.

#include "core/Image.h"

#include <cstdint>

namespace Velvor {

// Mixer Hue: A's colour scaled by weightA, its hue turned by |B's colour| * turnPerUnit. Writes red,
// green and blue of `out` with alpha 0, whatever `out` held, so a picture never depends on the node's
// history (an edited material would differ from the same one loaded afresh).
void rotateHuePlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                    float turnPerUnit);
void rotateHueFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                   float turnPerUnit);
// Mixer Saturation: as above, the saturation raised by |B's colour| * gainPerUnit, at most 255.
void saturatePlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                   float gainPerUnit);
void saturateFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                  float gainPerUnit);

// Normal map: out[k] is the normal from the four neighbours left[k], right[k], above[k] (the next
// row) and below[k] (the previous row); slopePerSum turns a difference of channel sums into a slope.
void normalsPlain(const Pixel* left, const Pixel* right, const Pixel* above, const Pixel* below, Pixel* out,
                  int count, float slopePerSum);
void normalsFast(const Pixel* left, const Pixel* right, const Pixel* above, const Pixel* below, Pixel* out,
                 int count, float slopePerSum);

// Plasma: out[k] = tint[v], v the cubic through the red bytes of rows[0..3][k] at t, truncated and
// held to 0..255.
void cubicRowPlain(const Pixel* const rows[4], const Pixel* tint, Pixel* out, int count, float t);
void cubicRowFast(const Pixel* const rows[4], const Pixel* tint, Pixel* out, int count, float t);

// Displacement: out[j] for j in [begin, begin + count) of one row is the bilinear sample of the
// source at (j + dx, row + dy), both wrapped into the image. The shifts come from tables indexed by a
// byte of the modulator pixel (modulator[j] >> byteShift & 0xFF), or, with shiftsPerPixel, from
// arrays indexed by j - begin.
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
