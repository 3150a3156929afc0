#include "core/MixerKernels.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

#if defined(__SSE2__)

namespace {

// One pixel's channels as (A.c, B.c) pairs of 16-bit lanes, multiplied by (amountA, amountB) and
// summed pairwise: the exact signed sum, whose 32 bits equal the unsigned wrapped one. The logical
// shift then matches the unsigned shift, and the two saturating packs clamp to 0..255 (the shifted
// value is below 2^24, so the signed pack only ever clamps values that exceed 255 anyway).
inline __m128i weighPixel(__m128i pairs, __m128i weights) {
    return _mm_srli_epi32(_mm_madd_epi16(pairs, weights), 8);
}

// (c * weight) >> 8 for 16-bit lanes c <= 255 and weight <= 32767: the product has at most 23 bits,
// so its high and low halves give the shifted value exactly, and it fits 15 bits.
inline __m128i scaleLanes(__m128i channels, __m128i weight) {
    return _mm_or_si128(_mm_slli_epi16(_mm_mulhi_epu16(channels, weight), 8),
                        _mm_srli_epi16(_mm_mullo_epi16(channels, weight), 8));
}

// min((x * y) >> 8, 255) for 16-bit lanes below 2^15: the product is hi * 2^16 + lo, so any high
// half saturates and otherwise the result is lo >> 8.
inline __m128i multiplyLanes(__m128i x, __m128i y) {
    const __m128i highIsZero = _mm_cmpeq_epi16(_mm_mulhi_epu16(x, y), _mm_setzero_si128());
    const __m128i low = _mm_srli_epi16(_mm_mullo_epi16(x, y), 8);
    return _mm_or_si128(_mm_and_si128(highIsZero, low), _mm_andnot_si128(highIsZero, _mm_set1_epi16(255)));
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

void multiplyFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
                  std::int16_t amountB) {
    if (amountA < 0 || amountB < 0) {
        multiplyPlain(a, b, out, count, amountA, amountB);
        return;
    }
    const __m128i weightA = _mm_set1_epi16(amountA);
    const __m128i weightB = _mm_set1_epi16(amountB);
    const __m128i zero = _mm_setzero_si128();
    int p = 0;
    for (; p + 4 <= count; p += 4) {
        const __m128i pixelsA = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + p));
        const __m128i pixelsB = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + p));
        const __m128i low = multiplyLanes(scaleLanes(_mm_unpacklo_epi8(pixelsA, zero), weightA),
                                          scaleLanes(_mm_unpacklo_epi8(pixelsB, zero), weightB));
        const __m128i high = multiplyLanes(scaleLanes(_mm_unpackhi_epi8(pixelsA, zero), weightA),
                                           scaleLanes(_mm_unpackhi_epi8(pixelsB, zero), weightB));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + p), _mm_packus_epi16(low, high));
    }
    multiplyPlain(a + p, b + p, out + p, count - p, amountA, amountB);
}

#else

void addFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
             std::int16_t amountB) {
    addPlain(a, b, out, count, amountA, amountB);
}

void multiplyFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
                  std::int16_t amountB) {
    multiplyPlain(a, b, out, count, amountA, amountB);
}

#endif

} // namespace Velvor
