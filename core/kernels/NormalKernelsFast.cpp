// The vector version of the normal map's loop, compiled once per instruction set that Highway
// targets and chosen at run time. It mirrors the plain loop operation for operation; spans shorter
// than a vector and the tail of a span go through the plain code.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "core/kernels/NormalKernelsFast.cpp"
#include "core/kernels/NormalKernels.h"

#include <algorithm>
#include <hwy/foreach_target.h> // IWYU pragma: keep
// After the target loop, so that the shared helpers are compiled for every target too.
#include "core/kernels/PixelVectors-inl.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace Velvor {
namespace HWY_NAMESPACE {

HWY_INLINE IntVector channelSum(WordVector pixels) {
    return hn::Add(hn::Add(byteAt<16>(pixels), byteAt<8>(pixels)), byteAt<0>(pixels));
}

// channelSum(plus) - channelSum(minus), an exact integer whatever the order of its terms: the blue
// and red differences as the 16-bit halves of each word, summed by one multiply-add, then green.
HWY_INLINE IntVector channelSumDifference(WordVector plus, WordVector minus) {
#if HWY_TARGET != HWY_SCALAR
    const WordTag dw;
    const IntTag di;
    const hn::Repartition<std::int16_t, IntTag> dh;
    const WordVector blueAndRed = hn::Set(dw, 0x00FF00FFu);
    const auto blueRed =
        hn::Sub(hn::BitCast(dh, hn::And(plus, blueAndRed)), hn::BitCast(dh, hn::And(minus, blueAndRed)));
    IntVector odd = hn::Zero(di);
    const IntVector blueRedSum = hn::RearrangeToOddPlusEven(
        hn::ReorderWidenMulAccumulate(di, blueRed, hn::Set(dh, std::int16_t{1}), hn::Zero(di), odd), odd);
    return hn::Add(blueRedSum, hn::Sub(byteAt<8>(plus), byteAt<8>(minus)));
#else
    return hn::Sub(channelSum(plus), channelSum(minus));
#endif
}

// The plain toNormalComponent of n, or of -n with `Negated`: (-n) * 127.5 + 127.5 is exactly
// 127.5 - n * 127.5, as IEEE products are symmetric in sign.
template <int Shift, bool Negated> HWY_INLINE WordVector normalComponent(FloatVector n) {
    const FloatTag df;
    const FloatVector half = hn::Set(df, 127.5f);
    const FloatVector scaled = hn::Mul(n, half);
    const FloatVector mapped = Negated ? hn::Sub(half, scaled) : hn::Add(scaled, half);
    return placedByte<Shift>(hn::Max(mapped, hn::Zero(df)));
}

// Two passes over blocks, as for the HSV blends: the slopes and the inverse length, whose square root
// and division are a long wait, then the normal's bytes.
constexpr int normalBlock = 256;

void normalsVector(const Pixel* left, const Pixel* right, const Pixel* above, const Pixel* below, Pixel* out,
                   int count, float slopePerSum) {
    const FloatTag df;
    const WordTag dw;
    const int lanes = static_cast<int>(hn::Lanes(df));
    const FloatVector slope = hn::Set(df, slopePerSum);
    const FloatVector one = hn::Set(df, 1.0f);
    HWY_ALIGN float slopesX[normalBlock];
    HWY_ALIGN float slopesY[normalBlock];
    HWY_ALIGN float inverseLengths[normalBlock];
    int k = 0;
    while (count - k >= lanes) {
        const int n = std::min(normalBlock, (count - k) / lanes * lanes);
        for (int i = 0; i < n; i += lanes) {
            const int j = k + i;
            const IntVector dx = channelSumDifference(hn::LoadU(dw, right + j), hn::LoadU(dw, left + j));
            const IntVector dy = channelSumDifference(hn::LoadU(dw, above + j), hn::LoadU(dw, below + j));
            const FloatVector sx = hn::Mul(hn::ConvertTo(df, dx), slope);
            const FloatVector sy = hn::Mul(hn::ConvertTo(df, dy), slope);
            hn::Store(sx, df, slopesX + i);
            hn::Store(sy, df, slopesY + i);
            hn::Store(hn::Div(one, hn::Sqrt(hn::Add(hn::Add(hn::Mul(sx, sx), hn::Mul(sy, sy)), one))), df,
                      inverseLengths + i);
        }
        for (int i = 0; i < n; i += lanes) {
            const FloatVector inverseLength = hn::Load(df, inverseLengths + i);
            const WordVector normal =
                hn::Or(hn::Or(normalComponent<16, true>(hn::Mul(hn::Load(df, slopesX + i), inverseLength)),
                              normalComponent<8, true>(hn::Mul(hn::Load(df, slopesY + i), inverseLength))),
                       normalComponent<0, false>(inverseLength));
            hn::StoreU(normal, dw, out + k + i);
        }
        k += n;
    }
    normalsPlain(left + k, right + k, above + k, below + k, out + k, count - k, slopePerSum);
}

} // namespace HWY_NAMESPACE
} // namespace Velvor
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace Velvor {

HWY_EXPORT(normalsVector);

void normalsFast(const Pixel* left, const Pixel* right, const Pixel* above, const Pixel* below, Pixel* out,
                 int count, float slopePerSum) {
    HWY_DYNAMIC_DISPATCH(normalsVector)(left, right, above, below, out, count, slopePerSum);
}

} // namespace Velvor
#endif
