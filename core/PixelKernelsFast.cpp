// The vector versions of the kernels in PixelKernels.h, compiled once per instruction set that
// Highway targets and chosen at run time. Each mirrors its plain loop operation for operation; spans
// shorter than a vector, the tail of a span, and vectors holding a value the vector path does not
// cover (see rotateHue) go through the plain code.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "core/PixelKernelsFast.cpp"
#include "core/PixelKernels.h"

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

// rgbToHsv with the branches as selections; lanes a branch does not take may divide by zero, and
// their results are thrown away.
HWY_INLINE HsvVector rgbToHsv(FloatVector red, FloatVector green, FloatVector blue) {
    const FloatTag df;
    const FloatVector zero = hn::Zero(df);
    const FloatVector largest = hn::Max(hn::Max(red, green), blue);
    const FloatVector smallest = hn::Min(hn::Min(red, green), blue);
    const FloatVector spread = hn::Sub(largest, smallest);
    const FloatVector saturation =
        hn::IfThenElseZero(hn::Ne(largest, zero), hn::Mul(hn::Div(spread, largest), hn::Set(df, 255.0f)));
    const FloatVector sector =
        hn::IfThenElse(hn::Eq(largest, red), hn::Div(hn::Sub(green, blue), spread),
                       hn::IfThenElse(hn::Eq(largest, green),
                                      hn::Add(hn::Div(hn::Sub(blue, red), spread), hn::Set(df, 2.0f)),
                                      hn::Add(hn::Div(hn::Sub(red, green), spread), hn::Set(df, 4.0f))));
    FloatVector hue = hn::Mul(sector, hn::Set(df, 42.5f));
    hue = hn::IfThenElse(hn::Lt(hue, zero), hn::Add(hue, hn::Set(df, 255.0f)), hue);
    return {hn::IfThenElseZero(hn::Ne(saturation, zero), hue), saturation, largest};
}

// Whether wrapHue below equals the plain fmod-based wrap in every lane.
HWY_INLINE bool wrapIsExact(FloatVector hue) {
    const FloatTag df;
    return hn::AllTrue(df, hn::And(hn::Ge(hue, hn::Zero(df)), hn::Lt(hue, hn::Set(df, 8388608.0f))));
}

// For 0 <= hue < 2^23: hue - k * 255 is exact for k = floor(hue / 255) and for one more or one less
// (the values are multiples of hue's unit in the last place and no larger than hue), so after the
// corrections it is exactly fmod(hue, 255), as the plain wrap computes it.
HWY_INLINE FloatVector wrapHue(FloatVector hue) {
    const FloatTag df;
    const FloatVector turn = hn::Set(df, 255.0f);
    FloatVector wrapped = hn::Sub(hue, hn::Mul(hn::Floor(hn::Div(hue, turn)), turn));
    wrapped = hn::IfThenElse(hn::Lt(wrapped, hn::Zero(df)), hn::Add(wrapped, turn), wrapped);
    return hn::IfThenElse(hn::Ge(wrapped, turn), hn::Sub(wrapped, turn), wrapped);
}

// Clamped at 255 and truncated; values that are not above 0 give 0.
HWY_INLINE WordVector channelByte(FloatVector value) {
    const FloatTag df;
    const IntTag di;
    const IntVector truncated = hn::ConvertTo(di, hn::Min(value, hn::Set(df, 255.0f)));
    return hn::BitCast(WordTag(),
                       hn::IfThenElseZero(hn::RebindMask(di, hn::Gt(value, hn::Zero(df))), truncated));
}

// hsvToRgb after the hue wrap; keeps the alpha byte of `target`.
HWY_INLINE WordVector hsvToRgb(FloatVector hue, FloatVector saturation, FloatVector value,
                               WordVector target) {
    const FloatTag df;
    const IntTag di;
    const WordTag dw;
    const FloatVector one = hn::Set(df, 1.0f);
    const FloatVector position = hn::Div(hue, hn::Set(df, 42.5f));
    const IntVector sector = hn::Min(hn::ConvertTo(di, position), hn::Set(di, 5));
    const FloatVector fraction = hn::Sub(position, hn::ConvertTo(df, sector));
    const FloatVector s = hn::Div(saturation, hn::Set(df, 255.0f));
    const FloatVector p = hn::Mul(value, hn::Sub(one, s));
    const FloatVector q = hn::Mul(value, hn::Sub(one, hn::Mul(fraction, s)));
    const FloatVector t = hn::Mul(value, hn::Sub(one, hn::Mul(hn::Sub(one, fraction), s)));

    const auto is = [&](int k) { return hn::RebindMask(df, hn::Eq(sector, hn::Set(di, k))); };
    const auto s0 = is(0), s1 = is(1), s2 = is(2), s3 = is(3), s4 = is(4);
    // (red, green, blue) by sector: 0 (V,T,P) 1 (Q,V,P) 2 (P,V,T) 3 (P,Q,V) 4 (T,P,V) 5 (V,P,Q).
    FloatVector red = hn::IfThenElse(s1, q, hn::IfThenElse(hn::Or(s2, s3), p, hn::IfThenElse(s4, t, value)));
    FloatVector green =
        hn::IfThenElse(s0, t, hn::IfThenElse(hn::Or(s1, s2), value, hn::IfThenElse(s3, q, p)));
    FloatVector blue =
        hn::IfThenElse(hn::Or(s0, s1), p, hn::IfThenElse(s2, t, hn::IfThenElse(hn::Or(s3, s4), value, q)));
    const auto grey = hn::Eq(saturation, hn::Zero(df));
    red = hn::IfThenElse(grey, value, red);
    green = hn::IfThenElse(grey, value, green);
    blue = hn::IfThenElse(grey, value, blue);

    const WordVector rgb = hn::Or(
        hn::Or(hn::ShiftLeft<16>(channelByte(red)), hn::ShiftLeft<8>(channelByte(green))), channelByte(blue));
    return hn::Or(hn::And(target, hn::Set(dw, 0xFF000000u)), rgb);
}

// A's channels scaled as the plain scaleRgb does: min((c * weight) >> 8, 255) in 32-bit arithmetic.
template <int Shift> HWY_INLINE FloatVector scaledChannel(WordVector pixels, WordVector weight) {
    const WordTag dw;
    const WordVector channel = hn::And(hn::ShiftRight<Shift>(pixels), hn::Set(dw, 0xFFu));
    const WordVector scaled = hn::Min(hn::ShiftRight<8>(hn::Mul(channel, weight)), hn::Set(dw, 255u));
    return hn::ConvertTo(FloatTag(), hn::BitCast(IntTag(), scaled));
}

HWY_INLINE FloatVector magnitude(WordVector pixels) {
    const IntVector red = byteAt<16>(pixels);
    const IntVector green = byteAt<8>(pixels);
    const IntVector blue = byteAt<0>(pixels);
    const IntVector sum = hn::Add(hn::Add(hn::Mul(red, red), hn::Mul(green, green)), hn::Mul(blue, blue));
    return hn::Sqrt(hn::ConvertTo(FloatTag(), sum));
}

HWY_INLINE HsvVector scaledHsv(const Pixel* a, std::uint32_t weightA) {
    const WordTag dw;
    const WordVector pixels = hn::LoadU(dw, a);
    const WordVector weight = hn::Set(dw, weightA);
    return rgbToHsv(scaledChannel<16>(pixels, weight), scaledChannel<8>(pixels, weight),
                    scaledChannel<0>(pixels, weight));
}

void rotateHueVector(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                     float turnPerUnit) {
    const FloatTag df;
    const WordTag dw;
    const int lanes = static_cast<int>(hn::Lanes(df));
    const FloatVector turn = hn::Set(df, turnPerUnit);
    int p = 0;
    for (; p + lanes <= count; p += lanes) {
        const HsvVector hsv = scaledHsv(a + p, weightA);
        const FloatVector hue = hn::Add(hsv.hue, hn::Mul(magnitude(hn::LoadU(dw, b + p)), turn));
        if (!wrapIsExact(hue)) {
            rotateHuePlain(a + p, b + p, out + p, lanes, weightA, turnPerUnit);
            continue;
        }
        hn::StoreU(hsvToRgb(wrapHue(hue), hsv.saturation, hsv.value, hn::LoadU(dw, out + p)), dw, out + p);
    }
    rotateHuePlain(a + p, b + p, out + p, count - p, weightA, turnPerUnit);
}

void saturateVector(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                    float gainPerUnit) {
    const FloatTag df;
    const WordTag dw;
    const int lanes = static_cast<int>(hn::Lanes(df));
    const FloatVector gain = hn::Set(df, gainPerUnit);
    int p = 0;
    for (; p + lanes <= count; p += lanes) {
        const HsvVector hsv = scaledHsv(a + p, weightA);
        const FloatVector saturation = hn::Min(
            hn::Add(hsv.saturation, hn::Mul(magnitude(hn::LoadU(dw, b + p)), gain)), hn::Set(df, 255.0f));
        hn::StoreU(hsvToRgb(wrapHue(hsv.hue), saturation, hsv.value, hn::LoadU(dw, out + p)), dw, out + p);
    }
    saturatePlain(a + p, b + p, out + p, count - p, weightA, gainPerUnit);
}

HWY_INLINE IntVector channelSum(WordVector pixels) {
    return hn::Add(hn::Add(byteAt<16>(pixels), byteAt<8>(pixels)), byteAt<0>(pixels));
}

HWY_INLINE WordVector normalComponent(FloatVector n) {
    const FloatTag df;
    const FloatVector half = hn::Set(df, 127.5f);
    const FloatVector mapped = hn::Add(hn::Mul(n, half), half);
    const FloatVector held = hn::Min(hn::Max(mapped, hn::Zero(df)), hn::Set(df, 255.0f));
    return hn::BitCast(WordTag(), hn::ConvertTo(IntTag(), held));
}

void normalsVector(const Pixel* left, const Pixel* right, const Pixel* above, const Pixel* below, Pixel* out,
                   int count, float slopePerSum) {
    const FloatTag df;
    const WordTag dw;
    const int lanes = static_cast<int>(hn::Lanes(df));
    const FloatVector slope = hn::Set(df, slopePerSum);
    const FloatVector one = hn::Set(df, 1.0f);
    int k = 0;
    for (; k + lanes <= count; k += lanes) {
        const IntVector dx =
            hn::Sub(channelSum(hn::LoadU(dw, right + k)), channelSum(hn::LoadU(dw, left + k)));
        const IntVector dy =
            hn::Sub(channelSum(hn::LoadU(dw, above + k)), channelSum(hn::LoadU(dw, below + k)));
        const FloatVector sx = hn::Mul(hn::ConvertTo(df, dx), slope);
        const FloatVector sy = hn::Mul(hn::ConvertTo(df, dy), slope);
        const FloatVector inverseLength =
            hn::Div(one, hn::Sqrt(hn::Add(hn::Add(hn::Mul(sx, sx), hn::Mul(sy, sy)), one)));
        const WordVector normal =
            hn::Or(hn::Or(hn::ShiftLeft<16>(normalComponent(hn::Mul(hn::Neg(sx), inverseLength))),
                          hn::ShiftLeft<8>(normalComponent(hn::Mul(hn::Neg(sy), inverseLength)))),
                   normalComponent(inverseLength));
        hn::StoreU(normal, dw, out + k);
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
