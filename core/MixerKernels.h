#pragma once

// The Mixer's two integer blends, per channel in unsigned 32-bit arithmetic (a negative weight wraps):
//   add:      min((A.c * weightA + B.c * weightB) >> 8, 255)
//   multiply: min((((A.c * weightA) >> 8) * ((B.c * weightB) >> 8)) >> 8, 255)
// The plain versions are the reference; the fast ones give identical results a vector at a time
// (Highway, the best instruction set of the machine chosen at run time).

#include "core/Image.h"

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

} // namespace Velvor
