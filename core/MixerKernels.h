#pragma once

// The Mixer's weighted add: out.c = min((A.c * weightA + B.c * weightB) >> 8, 255) per channel, in
// unsigned 32-bit arithmetic (a negative weight wraps). addPlain is the reference; addFast gives the
// identical result, four pixels at a time where SSE2 is available.

#include "core/Image.h"

namespace Velvor {

void addPlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
              std::int16_t amountB);
void addFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
             std::int16_t amountB);

} // namespace Velvor
