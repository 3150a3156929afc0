// The vector versions of the kernels in PixelKernels.h, compiled once per instruction set that
// Highway targets and chosen at run time. Each mirrors its plain loop operation for operation; spans
// shorter than a vector, the tail of a span, and vectors holding a value the vector path does not
// cover (see rotateHue) go through the plain code.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "core/PixelKernelsFast.cpp"
#include "core/PixelKernels.h"

#include <algorithm>
#include <hwy/foreach_target.h> // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace Velvor {
namespace HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

using FloatTag = hn::ScalableTag<float>;
using IntTag = hn::RebindToSigned<FloatTag>;
using WordTag = hn::RebindToUnsigned<FloatTag>;
using FloatVector = hn::Vec<FloatTag>;
using IntVector = hn::Vec<IntTag>;
using WordVector = hn::Vec<WordTag>;

template <int Shift> HWY_INLINE IntVector byteAt(WordVector pixels) {
    const WordTag dw;
    return hn::BitCast(IntTag(), hn::And(hn::ShiftRight<Shift>(pixels), hn::Set(dw, 0xFFu)));
}

template <int Shift> HWY_INLINE FloatVector floatByteAt(WordVector pixels) {
    return hn::ConvertTo(FloatTag(), byteAt<Shift>(pixels));
}

struct HsvVector {
    FloatVector hue;
    FloatVector saturation;
    FloatVector value;
};

// rgbToHsv with the branches as selections; the three branches' divisions of the sector become one,
// its numerator chosen first. Lanes that are grey or black divide by zero; their results are thrown
// away.
HWY_INLINE HsvVector rgbToHsv(FloatVector red, FloatVector green, FloatVector blue) {
    const FloatTag df;
    const FloatVector zero = hn::Zero(df);
    const FloatVector largest = hn::Max(hn::Max(red, green), blue);
    const FloatVector smallest = hn::Min(hn::Min(red, green), blue);
    const FloatVector spread = hn::Sub(largest, smallest);
    const FloatVector saturation =
        hn::IfThenElseZero(hn::Ne(largest, zero), hn::Mul(hn::Div(spread, largest), hn::Set(df, 255.0f)));
    const auto redLargest = hn::Eq(largest, red);
    const auto greenLargest = hn::Eq(largest, green);
    const FloatVector difference =
        hn::IfThenElse(redLargest, hn::Sub(green, blue),
                       hn::IfThenElse(greenLargest, hn::Sub(blue, red), hn::Sub(red, green)));
    const FloatVector fraction = hn::Div(difference, spread);
    const FloatVector offset = hn::IfThenElse(greenLargest, hn::Set(df, 2.0f), hn::Set(df, 4.0f));
    const FloatVector sector = hn::IfThenElse(redLargest, fraction, hn::Add(fraction, offset));
    FloatVector hue = hn::Mul(sector, hn::Set(df, 42.5f));
    hue = hn::IfThenElse(hn::Lt(hue, zero), hn::Add(hue, hn::Set(df, 255.0f)), hue);
    return {hn::IfThenElseZero(hn::Ne(saturation, zero), hue), saturation, largest};
}

// Whether wrapHue below equals the plain fmod-based wrap in every lane.
HWY_INLINE bool wrapIsExact(FloatVector hue) {
    const FloatTag df;
    return hn::AllTrue(df, hn::And(hn::Ge(hue, hn::Zero(df)), hn::Lt(hue, hn::Set(df, 8388608.0f))));
}

// For 0 <= hue < 2^23 this is exactly fmod(hue, 255), as the plain wrap computes it. The number of
// turns k comes from a product with the float nearest 1/255, which lies above 1/255; rounding is
// monotonic, so k is never below floor(hue / 255), and with an error under 2^-8 it is at most one
// above. hue - k * 255 is exact for both (the values are multiples of hue's unit in the last place
// and no larger than hue), and one turn added back to a negative result gives the remainder exactly.
HWY_INLINE FloatVector wrapHue(FloatVector hue) {
    const FloatTag df;
    const FloatVector turn = hn::Set(df, 255.0f);
    const FloatVector turns = hn::Floor(hn::Mul(hue, hn::Set(df, 1.0f / 255.0f)));
    const FloatVector wrapped = hn::Sub(hue, hn::Mul(turns, turn));
    return hn::IfThenElse(hn::Lt(wrapped, hn::Zero(df)), hn::Add(wrapped, turn), wrapped);
}

// The channel byte of a value that is not negative (nor NaN): min(value, 255) truncated, as the plain
// channelByte gives it, moved to bit `Shift`. The whole number n comes out in the low bits of the
// float 2^23 + n, whose exponent bits the shift into place pushes out of the word.
template <int Shift> HWY_INLINE WordVector placedByte(FloatVector value) {
    const FloatTag df;
    const WordTag dw;
    const FloatVector whole = hn::Floor(hn::Min(value, hn::Set(df, 255.0f)));
    const WordVector bits = hn::BitCast(dw, hn::Add(whole, hn::Set(df, 8388608.0f)));
    if constexpr (Shift == 0) {
        return hn::And(bits, hn::Set(dw, 0xFFu));
    } else {
        return hn::ShiftLeft<Shift>(bits);
    }
}

// hsvToRgb after the hue wrap, for a saturation of at most 255 and a value in [0, 255], with alpha 0.
// p, q and t are never negative then: s <= 1 and the fraction lies in [0, 1), so no product of two
// of them exceeds 1. The plain code's grey case needs no selection: with a saturation of 0, p, q and
// t all come out as the value exactly.
HWY_INLINE WordVector hsvToRgb(FloatVector hue, FloatVector saturation, FloatVector value) {
    const FloatTag df;
    const FloatVector one = hn::Set(df, 1.0f);
    const FloatVector position = hn::Div(hue, hn::Set(df, 42.5f));
    // position >= 0: its floor is the plain code's truncation, kept as a float.
    const FloatVector sector = hn::Min(hn::Floor(position), hn::Set(df, 5.0f));
    const FloatVector fraction = hn::Sub(position, sector);
    const FloatVector s = hn::Div(saturation, hn::Set(df, 255.0f));
    const FloatVector p = hn::Mul(value, hn::Sub(one, s));
    const FloatVector q = hn::Mul(value, hn::Sub(one, hn::Mul(fraction, s)));
    const FloatVector t = hn::Mul(value, hn::Sub(one, hn::Mul(hn::Sub(one, fraction), s)));

    const auto is = [&](float k) { return hn::Eq(sector, hn::Set(df, k)); };
    const auto s0 = is(0.0f), s1 = is(1.0f), s2 = is(2.0f), s3 = is(3.0f), s4 = is(4.0f);
    // (red, green, blue) by sector: 0 (V,T,P) 1 (Q,V,P) 2 (P,V,T) 3 (P,Q,V) 4 (T,P,V) 5 (V,P,Q).
    const FloatVector red =
        hn::IfThenElse(s1, q, hn::IfThenElse(hn::Or(s2, s3), p, hn::IfThenElse(s4, t, value)));
    const FloatVector green =
        hn::IfThenElse(s0, t, hn::IfThenElse(hn::Or(s1, s2), value, hn::IfThenElse(s3, q, p)));
    const FloatVector blue =
        hn::IfThenElse(hn::Or(s0, s1), p, hn::IfThenElse(s2, t, hn::IfThenElse(hn::Or(s3, s4), value, q)));
    return hn::Or(hn::Or(placedByte<16>(red), placedByte<8>(green)), placedByte<0>(blue));
}

// A's channels scaled as the plain scaleRgb does: min((c * weight) >> 8, 255) in 32-bit arithmetic.
// Weights up to 256 never reach beyond 255, so they skip the clamp.
template <int Shift, bool NarrowWeight>
HWY_INLINE FloatVector scaledChannel(WordVector pixels, WordVector weight) {
    const WordTag dw;
    const WordVector channel = hn::And(hn::ShiftRight<Shift>(pixels), hn::Set(dw, 0xFFu));
    WordVector scaled = hn::ShiftRight<8>(hn::Mul(channel, weight));
    if constexpr (!NarrowWeight) {
        scaled = hn::Min(scaled, hn::Set(dw, 255u));
    }
    return hn::ConvertTo(FloatTag(), hn::BitCast(IntTag(), scaled));
}

// The length of a pixel's colour as a vector. The sum of squares is an exact integer, so the order of
// its terms does not matter: blue and red come as the two 16-bit halves of one word, summed squared
// in one multiply-add, green on its own.
HWY_INLINE FloatVector magnitude(WordVector pixels) {
#if HWY_TARGET != HWY_SCALAR
    const WordTag dw;
    const IntTag di;
    const hn::Repartition<std::int16_t, IntTag> dh;
    const auto blueRed = hn::BitCast(dh, hn::And(pixels, hn::Set(dw, 0x00FF00FFu)));
    const auto green = hn::BitCast(dh, hn::And(hn::ShiftRight<8>(pixels), hn::Set(dw, 0xFFu)));
    IntVector odd = hn::Zero(di);
    const IntVector blueRedSquares = hn::RearrangeToOddPlusEven(
        hn::ReorderWidenMulAccumulate(di, blueRed, blueRed, hn::Zero(di), odd), odd);
    IntVector greenOdd = hn::Zero(di);
    const IntVector greenSquares = hn::RearrangeToOddPlusEven(
        hn::ReorderWidenMulAccumulate(di, green, green, hn::Zero(di), greenOdd), greenOdd);
    const IntVector sum = hn::Add(blueRedSquares, greenSquares);
#else
    const IntVector red = byteAt<16>(pixels);
    const IntVector green = byteAt<8>(pixels);
    const IntVector blue = byteAt<0>(pixels);
    const IntVector sum = hn::Add(hn::Add(hn::Mul(red, red), hn::Mul(green, green)), hn::Mul(blue, blue));
#endif
    return hn::Sqrt(hn::ConvertTo(FloatTag(), sum));
}

template <bool NarrowWeight> HWY_INLINE HsvVector scaledHsv(const Pixel* a, std::uint32_t weightA) {
    const WordTag dw;
    const WordVector pixels = hn::LoadU(dw, a);
    const WordVector weight = hn::Set(dw, weightA);
    return rgbToHsv(scaledChannel<16, NarrowWeight>(pixels, weight),
                    scaledChannel<8, NarrowWeight>(pixels, weight),
                    scaledChannel<0, NarrowWeight>(pixels, weight));
}

// The HSV blends work through blocks of pixels in two passes, with the HSV values kept on the stack
// between them: to HSV and the change, then back. A vector's whole conversion is a chain of some
// hundred dependent operations, longer than the processor can look ahead over; each pass is half
// that, so more vectors are in flight at once. `change` turns a vector's HSV values and tells whether
// the vector path covers them; `plain` is the reference loop, which takes the vectors it does not.
constexpr int hsvBlock = 256;

template <bool NarrowWeight, class Change, class Plain>
HWY_INLINE void hsvBlocks(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                          const Change& change, const Plain& plain) {
    const FloatTag df;
    const WordTag dw;
    const int lanes = static_cast<int>(hn::Lanes(df));
    HWY_ALIGN float hues[hsvBlock];
    HWY_ALIGN float saturations[hsvBlock];
    HWY_ALIGN float values[hsvBlock];
    bool covered[hsvBlock];
    int p = 0;
    while (count - p >= lanes) {
        const int n = std::min(hsvBlock, (count - p) / lanes * lanes);
        for (int i = 0; i < n; i += lanes) {
            HsvVector hsv = scaledHsv<NarrowWeight>(a + p + i, weightA);
            covered[i] = change(hsv, magnitude(hn::LoadU(dw, b + p + i)));
            hn::Store(hsv.hue, df, hues + i);
            hn::Store(hsv.saturation, df, saturations + i);
            hn::Store(hsv.value, df, values + i);
        }
        for (int i = 0; i < n; i += lanes) {
            Pixel* target = out + p + i;
            if (!covered[i]) {
                plain(a + p + i, b + p + i, target, lanes);
                continue;
            }
            hn::StoreU(
                hsvToRgb(hn::Load(df, hues + i), hn::Load(df, saturations + i), hn::Load(df, values + i)), dw,
                target);
        }
        p += n;
    }
    plain(a + p, b + p, out + p, count - p);
}

template <class Change, class Plain>
HWY_INLINE void hsvBlend(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                         const Change& change, const Plain& plain) {
    if (weightA <= 256u) {
        hsvBlocks<true>(a, b, out, count, weightA, change, plain);
    } else {
        hsvBlocks<false>(a, b, out, count, weightA, change, plain);
    }
}

void rotateHueVector(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                     float turnPerUnit) {
    const FloatVector turn = hn::Set(FloatTag(), turnPerUnit);
    hsvBlend(
        a, b, out, count, weightA,
        [&](HsvVector& hsv, FloatVector magnitude) {
            const FloatVector hue = hn::Add(hsv.hue, hn::Mul(magnitude, turn));
            hsv.hue = wrapHue(hue);
            return wrapIsExact(hue);
        },
        [&](const Pixel* fromA, const Pixel* fromB, Pixel* to, int n) {
            rotateHuePlain(fromA, fromB, to, n, weightA, turnPerUnit);
        });
}

// The hue of rgbToHsv lies in [0, 255) already, where the wrap leaves it as it is.
void saturateVector(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                    float gainPerUnit) {
    const FloatTag df;
    const FloatVector gain = hn::Set(df, gainPerUnit);
    hsvBlend(
        a, b, out, count, weightA,
        [&](HsvVector& hsv, FloatVector magnitude) {
            hsv.saturation = hn::Min(hn::Add(hsv.saturation, hn::Mul(magnitude, gain)), hn::Set(df, 255.0f));
            return true;
        },
        [&](const Pixel* fromA, const Pixel* fromB, Pixel* to, int n) {
            saturatePlain(fromA, fromB, to, n, weightA, gainPerUnit);
        });
}

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

void cubicRowVector(const Pixel* const rows[4], const Pixel* tint, Pixel* out, int count, float t) {
    const FloatTag df;
    const IntTag di;
    const WordTag dw;
    const int lanes = static_cast<int>(hn::Lanes(df));
    const FloatVector tv = hn::Set(df, t);
    int j = 0;
    for (; j + lanes <= count; j += lanes) {
        const FloatVector y0 = floatByteAt<16>(hn::LoadU(dw, rows[0] + j));
        const FloatVector y1 = floatByteAt<16>(hn::LoadU(dw, rows[1] + j));
        const FloatVector y2 = floatByteAt<16>(hn::LoadU(dw, rows[2] + j));
        const FloatVector y3 = floatByteAt<16>(hn::LoadU(dw, rows[3] + j));
        const FloatVector p = hn::Sub(hn::Sub(y3, y2), hn::Sub(y0, y1));
        const FloatVector q = hn::Sub(hn::Sub(y0, y1), p);
        const FloatVector r = hn::Sub(y2, y0);
        const FloatVector cubed = hn::Mul(hn::Mul(hn::Mul(p, tv), tv), tv);
        const FloatVector squared = hn::Mul(hn::Mul(q, tv), tv);
        const FloatVector v = hn::Add(hn::Add(hn::Add(cubed, squared), hn::Mul(r, tv)), y1);
        const IntVector truncated =
            hn::ConvertTo(di, hn::Min(hn::Max(v, hn::Set(df, -1.0f)), hn::Set(df, 256.0f)));
        const IntVector index = hn::Min(hn::Max(truncated, hn::Zero(di)), hn::Set(di, 255));
        hn::StoreU(hn::GatherIndex(dw, tint, index), dw, out + j);
    }
    if (j < count) {
        const Pixel* const rest[4] = {rows[0] + j, rows[1] + j, rows[2] + j, rows[3] + j};
        cubicRowPlain(rest, tint, out + j, count - j, t);
    }
}

#if HWY_TARGET != HWY_SCALAR
// Displacement: the shifts and the sums j + dx are doubles, as in the plain loop, worked out a half
// vector at a time; everything after their rounding to float runs on full float vectors.
using HalfWordTag = hn::Half<WordTag>;
using ShiftTag = hn::Repartition<double, FloatTag>;
using ShiftIndexTag = hn::RebindToSigned<ShiftTag>;
using ShiftVector = hn::Vec<ShiftTag>;

DisplacementSpan partOf(const DisplacementSpan& span, int offset, int count) {
    DisplacementSpan part = span;
    part.begin += offset;
    part.count = count;
    if (span.shiftsPerPixel) {
        part.shiftX += offset;
        part.shiftY += offset;
    }
    return part;
}

// The float positions of a vector of pixels from their shifts: a table looked up by the modulator
// byte, or one shift a pixel.
template <bool PerPixel>
HWY_INLINE FloatVector positionsOf(const double* shifts, int offset, unsigned byteShift, WordVector pixels,
                                   ShiftVector lowerBase, ShiftVector upperBase) {
    const FloatTag df;
    const ShiftTag dd;
    const hn::Half<FloatTag> dh;
    const int half = static_cast<int>(hn::Lanes(dd));
    ShiftVector lower;
    ShiftVector upper;
    if constexpr (PerPixel) {
        lower = hn::LoadU(dd, shifts + offset);
        upper = hn::LoadU(dd, shifts + offset + half);
    } else {
        const WordVector bytes =
            hn::And(hn::ShiftRightSame(pixels, static_cast<int>(byteShift)), hn::Set(WordTag(), 0xFFu));
        const auto indexOf = [&](auto halfBytes) {
            return hn::PromoteTo(ShiftIndexTag(),
                                 hn::BitCast(hn::Rebind<std::int32_t, ShiftTag>(), halfBytes));
        };
        lower = hn::GatherIndex(dd, shifts, indexOf(hn::LowerHalf(bytes)));
        upper = hn::GatherIndex(dd, shifts, indexOf(hn::UpperHalf(HalfWordTag(), bytes)));
    }
    return hn::Combine(df, hn::DemoteTo(dh, hn::Add(upper, upperBase)),
                       hn::DemoteTo(dh, hn::Add(lower, lowerBase)));
}

// Whether every lane lies in [0, limit), where the plain wrap leaves a position as it is.
HWY_INLINE bool inside(FloatVector position, FloatVector limit) {
    const FloatTag df;
    return hn::AllTrue(df, hn::And(hn::Ge(position, hn::Zero(df)), hn::Lt(position, limit)));
}

struct SampleAxis {
    IntVector index;
    FloatVector fraction;
};

HWY_INLINE SampleAxis sampleAxis(FloatVector position, int size) {
    const IntTag di;
    const IntVector index = hn::Min(hn::ConvertTo(di, position), hn::Set(di, size - 1));
    return {index, hn::Sub(position, hn::ConvertTo(FloatTag(), index))};
}

// Pixels and their right-hand neighbours, each pair through one 8-byte load, the left pixel in the
// low half.
HWY_INLINE void gatherPairs(const Pixel* source, IntVector offset, WordVector& left, WordVector& right) {
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pairs are split by their halves");
    const hn::RebindToUnsigned<ShiftTag> dp;
    const HalfWordTag dh;
    const auto* pairs = reinterpret_cast<const std::uint64_t*>(source);
    const auto gather = [&](auto halfOffset) {
        return hn::GatherOffset(dp, pairs, hn::ShiftLeft<2>(hn::PromoteTo(ShiftIndexTag(), halfOffset)));
    };
    const auto lower = gather(hn::LowerHalf(offset));
    const auto upper = gather(hn::UpperHalf(hn::Half<IntTag>(), offset));
    left = hn::Combine(WordTag(), hn::TruncateTo(dh, upper), hn::TruncateTo(dh, lower));
    right = hn::Combine(WordTag(), hn::TruncateTo(dh, hn::ShiftRight<32>(upper)),
                        hn::TruncateTo(dh, hn::ShiftRight<32>(lower)));
}

HWY_INLINE FloatVector lerp(FloatVector a, FloatVector b, FloatVector t) {
    return hn::Add(a, hn::Mul(t, hn::Sub(b, a)));
}

template <int Shift>
HWY_INLINE WordVector bilinearChannel(const WordVector (&corners)[4], FloatVector fx, FloatVector fy) {
    const FloatVector top = lerp(floatByteAt<Shift>(corners[0]), floatByteAt<Shift>(corners[1]), fx);
    const FloatVector bottom = lerp(floatByteAt<Shift>(corners[2]), floatByteAt<Shift>(corners[3]), fx);
    return hn::ShiftLeft<Shift>(hn::BitCast(WordTag(), hn::ConvertTo(IntTag(), lerp(top, bottom, fy))));
}

template <bool PerPixel> void displaceSpan(const DisplacementSpan& span) {
    const ShiftTag dd;
    const FloatTag df;
    const IntTag di;
    const WordTag dw;
    const int lanes = static_cast<int>(hn::Lanes(df));
    const int half = static_cast<int>(hn::Lanes(dd));
    const FloatVector limitX = hn::Set(df, static_cast<float>(span.width));
    const FloatVector limitY = hn::Set(df, static_cast<float>(span.height));
    const ShiftVector row = hn::Set(dd, static_cast<double>(span.row));
    const IntVector width = hn::Set(di, span.width);
    const IntVector lastColumn = hn::Set(di, span.width - 1);
    // Iota stores and reloads its lanes; the column of each lane is its number plus j, exactly.
    const ShiftVector laneNumbers = hn::Iota(dd, 0);
    int k = 0;
    for (; k + lanes <= span.count; k += lanes) {
        const int j = span.begin + k;
        const WordVector modulator = hn::LoadU(dw, span.modulator + j);
        const ShiftVector column = hn::Add(hn::Set(dd, static_cast<double>(j)), laneNumbers);
        const FloatVector positionX =
            positionsOf<PerPixel>(span.shiftX, k, span.byteShiftX, modulator, column,
                                  hn::Add(column, hn::Set(dd, static_cast<double>(half))));
        const FloatVector positionY =
            positionsOf<PerPixel>(span.shiftY, k, span.byteShiftY, modulator, row, row);
        const SampleAxis x = sampleAxis(positionX, span.width);
        // Positions past an edge wrap through fmod, and the last column's neighbour is the first:
        // both are rare, at the borders only.
        if (!inside(positionX, limitX) || !inside(positionY, limitY) ||
            !hn::AllFalse(di, hn::Eq(x.index, lastColumn))) {
            displacePlain(partOf(span, k, lanes));
            continue;
        }
        const SampleAxis y = sampleAxis(positionY, span.height);
        const IntVector below = hn::Add(y.index, hn::Set(di, 1));
        const IntVector nextRow = hn::IfThenZeroElse(hn::Eq(below, hn::Set(di, span.height)), below);
        // Offsets stay below 2^31: a material holds at most 2^29 pixels.
        WordVector corners[4];
        gatherPairs(span.source, hn::Add(hn::Mul(y.index, width), x.index), corners[0], corners[1]);
        gatherPairs(span.source, hn::Add(hn::Mul(nextRow, width), x.index), corners[2], corners[3]);
        const WordVector result = hn::Or(hn::Or(bilinearChannel<0>(corners, x.fraction, y.fraction),
                                                bilinearChannel<8>(corners, x.fraction, y.fraction)),
                                         hn::Or(bilinearChannel<16>(corners, x.fraction, y.fraction),
                                                bilinearChannel<24>(corners, x.fraction, y.fraction)));
        hn::StoreU(result, dw, span.out + j);
    }
    displacePlain(partOf(span, k, span.count - k));
}

void displaceVector(const DisplacementSpan& span) {
    if (span.shiftsPerPixel) {
        displaceSpan<true>(span);
    } else {
        displaceSpan<false>(span);
    }
}
#else
// One lane has no halves to work the shifts in.
void displaceVector(const DisplacementSpan& span) {
    displacePlain(span);
}
#endif

} // namespace HWY_NAMESPACE
} // namespace Velvor
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace Velvor {

HWY_EXPORT(rotateHueVector);
HWY_EXPORT(saturateVector);
HWY_EXPORT(normalsVector);
HWY_EXPORT(cubicRowVector);
HWY_EXPORT(displaceVector);

void rotateHueFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                   float turnPerUnit) {
    HWY_DYNAMIC_DISPATCH(rotateHueVector)(a, b, out, count, weightA, turnPerUnit);
}

void saturateFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                  float gainPerUnit) {
    HWY_DYNAMIC_DISPATCH(saturateVector)(a, b, out, count, weightA, gainPerUnit);
}

void normalsFast(const Pixel* left, const Pixel* right, const Pixel* above, const Pixel* below, Pixel* out,
                 int count, float slopePerSum) {
    HWY_DYNAMIC_DISPATCH(normalsVector)(left, right, above, below, out, count, slopePerSum);
}

void cubicRowFast(const Pixel* const rows[4], const Pixel* tint, Pixel* out, int count, float t) {
    HWY_DYNAMIC_DISPATCH(cubicRowVector)(rows, tint, out, count, t);
}

void displaceFast(const DisplacementSpan& span) {
    HWY_DYNAMIC_DISPATCH(displaceVector)(span);
}

} // namespace Velvor
#endif
