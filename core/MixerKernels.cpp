#include "core/MixerKernels.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Velvor {

void addPlain(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
              std::int16_t amountB) {
    const auto weightA = static_cast<std::uint32_t>(static_cast<std::int32_t>(amountA));
    const auto weightB = static_cast<std::uint32_t>(static_cast<std::int32_t>(amountB));
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

#if defined(__SSE2__)

namespace {

// One pixel's channels as (A.c, B.c) pairs of 16-bit lanes, multiplied by (amountA, amountB) and
// summed pairwise: the exact signed sum, whose 32 bits equal the unsigned wrapped one. The logical
// shift then matches the unsigned shift, and the two saturating packs clamp to 0..255 (the shifted
// value is below 2^24, so the signed pack only ever clamps values that exceed 255 anyway).
inline __m128i weighPixel(__m128i pairs, __m128i weights) {
    return _mm_srli_epi32(_mm_madd_epi16(pairs, weights), 8);
}

} // namespace

void addFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
             std::int16_t amountB) {
    const __m128i weights = _mm_set1_epi32(
        static_cast<int>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(amountB)) << 16) |
                         static_cast<std::uint16_t>(amountA)));
    const __m128i zero = _mm_setzero_si128();
    int p = 0;
    for (; p + 4 <= count; p += 4) {
        const __m128i pixelsA = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + p));
        const __m128i pixelsB = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + p));
        const __m128i low = _mm_unpacklo_epi8(pixelsA, pixelsB);  // pixels 0 and 1, bytes A B A B ...
        const __m128i high = _mm_unpackhi_epi8(pixelsA, pixelsB); // pixels 2 and 3
        const __m128i sum0 = weighPixel(_mm_unpacklo_epi8(low, zero), weights);
        const __m128i sum1 = weighPixel(_mm_unpackhi_epi8(low, zero), weights);
        const __m128i sum2 = weighPixel(_mm_unpacklo_epi8(high, zero), weights);
        const __m128i sum3 = weighPixel(_mm_unpackhi_epi8(high, zero), weights);
        const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(sum0, sum1), _mm_packs_epi32(sum2, sum3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + p), packed);
    }
    addPlain(a + p, b + p, out + p, count - p, amountA, amountB);
}

#else

void addFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
             std::int16_t amountB) {
    addPlain(a, b, out, count, amountA, amountB);
}

#endif

} // namespace Velvor
