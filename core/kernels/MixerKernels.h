#pragma once

// The Mixer's four blends over a span of pixels. The plain versions are the reference; the fast ones
// give identical results a vector at a time (Highway, the best instruction set of the machine chosen
// at run time).
//
// The integer blends, per channel in unsigned 32-bit arithmetic (a negative weight wraps):
//   add:      min((A.c * weightA + B.c * weightB) >> 8, 255)
//   multiply: min((((A.c * weightA) >> 8) * ((B.c * weightB) >> 8)) >> 8, 255)
// The HSV blends run the same IEEE single-precision operations in the same order on whole vectors
// (no fused multiply-add, no approximate reciprocal or square root), so they match bit for bit too.

#include "core/Image.h"

#include <cstdint>

namespace Velvor {

// A 16-bit amount as the unsigned 32-bit weight the blends multiply by; negative amounts wrap, which
// keeps every amount defined behaviour (the channel then saturates).
inline std::uint32_t weightOf(std::int16_t amount) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(amount));
}

void addPlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
              std::int16_t amountB);
void addFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
             std::int16_t amountB);
void multiplyPlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
                   std::int16_t amountB);
void multiplyFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
                  std::int16_t amountB);

// Hue: A's colour scaled by weightA, its hue turned by |B's colour| * turnPerUnit. Writes red, green
// and blue of `out` with alpha 0, whatever `out` held, so a picture never depends on the node's
// history (an edited material would differ from the same one loaded afresh).
void rotateHuePlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                    float turnPerUnit);
void rotateHueFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                   float turnPerUnit);
// Saturation: as above, the saturation raised by |B's colour| * gainPerUnit, at most 255.
void saturatePlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                   float gainPerUnit);
void saturateFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                  float gainPerUnit);

} // namespace Velvor
