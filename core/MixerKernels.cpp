#include "core/MixerKernels.h"

#include <algorithm>

namespace Velvor {

void addPlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
              std::int16_t amountB) {
    const std::uint32_t weightA = weightOf(amountA);
    const std::uint32_t weightB = weightOf(amountB);
    for (int p = 0; p < count; ++p) {
        Pixel result = 0;
        for (unsigned shift = 0; shift < 32; shift += 8) {
            const std::uint32_t sum =
                (((a[p] >> shift) & 0xFFu) * weightA + ((b[p] >> shift) & 0xFFu) * weightB) >> 8;
            result |= std::min(sum, 255u) << shift;
        }
        out[p] = result;
    }
}

void multiplyPlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
                   std::int16_t amountB) {
    const std::uint32_t weightA = weightOf(amountA);
    const std::uint32_t weightB = weightOf(amountB);
    for (int p = 0; p < count; ++p) {
        Pixel result = 0;
        for (unsigned shift = 0; shift < 32; shift += 8) {
            const std::uint32_t scaledA = (((a[p] >> shift) & 0xFFu) * weightA) >> 8;
            const std::uint32_t scaledB = (((b[p] >> shift) & 0xFFu) * weightB) >> 8;
            result |= std::min((scaledA * scaledB) >> 8, 255u) << shift;
        }
        out[p] = result;
    }
}

} // namespace Velvor
