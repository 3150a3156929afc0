// The vector versions of the Mixer's blends, compiled once per instruction set that Highway targets
// and chosen at run time. The integer blends work each channel in a 32-bit lane with the plain loop's
// unsigned, wrapping arithmetic, so every weight, negative ones included, gives the same bytes. The
// HSV blends mirror their plain loops operation for operation; spans shorter than a vector, the tail
// of a span, and vectors holding a value the vector path does not cover (see rotateHue) go through
// the plain code.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "core/kernels/MixerKernelsFast.cpp"
#include "core/kernels/MixerKernels.h"

#include <algorithm>
#include <hwy/foreach_target.h> // IWYU pragma: keep
// After the target loop, so that the shared helpers are compiled for every target too.
#include "core/kernels/PixelVectors-inl.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace Velvor {
namespace HWY_NAMESPACE {

// min(value, 255) moved back into its channel.
template <int Shift> HWY_INLINE WordVector placed(WordVector value) {
    return hn::ShiftLeft<Shift>(hn::Min(value, hn::Set(WordTag(), 255u)));
}

struct Added {
    template <int Shift>
    static HWY_INLINE WordVector channelOf(WordVector a, WordVector b, WordVector weightA,
                                           WordVector weightB) {
        const WordVector sum =
            hn::Add(hn::Mul(wordByteAt<Shift>(a), weightA), hn::Mul(wordByteAt<Shift>(b), weightB));
        return placed<Shift>(hn::ShiftRight<8>(sum));
    }
};

struct Multiplied {
    template <int Shift>
    static HWY_INLINE WordVector channelOf(WordVector a, WordVector b, WordVector weightA,
                                           WordVector weightB) {
        const WordVector scaledA = hn::ShiftRight<8>(hn::Mul(wordByteAt<Shift>(a), weightA));
        const WordVector scaledB = hn::ShiftRight<8>(hn::Mul(wordByteAt<Shift>(b), weightB));
        return placed<Shift>(hn::ShiftRight<8>(hn::Mul(scaledA, scaledB)));
    }
};

#if HWY_TARGET != HWY_SCALAR
// Weights from 0 to 256 (amounts up to 1.0, the usual ones) keep every intermediate below 2^16, so
// the channels are worked in 16-bit lanes, twice as many a vector: the even channels (blue, red) in
// the low bytes of each half-word, the odd ones (green, alpha) shifted down from the high bytes.
using HalfTag = hn::Repartition<std::uint16_t, WordTag>;
using HalfVector = hn::Vec<HalfTag>;

struct NarrowAdded {
    // (x + y) >> 8 for 17-bit sums, from the parts of x and y above and below bit 8.
    static HWY_INLINE HalfVector channelsOf(HalfVector a, HalfVector b, HalfVector weightA,
                                            HalfVector weightB) {
        const HalfTag dh;
        const HalfVector low = hn::Set(dh, 0xFFu);
        const HalfVector x = hn::Mul(a, weightA);
        const HalfVector y = hn::Mul(b, weightB);
        const HalfVector carry = hn::ShiftRight<8>(hn::Add(hn::And(x, low), hn::And(y, low)));
        const HalfVector sum = hn::Add(hn::Add(hn::ShiftRight<8>(x), hn::ShiftRight<8>(y)), carry);
        return hn::Min(sum, low);
    }
};

struct NarrowMultiplied {
    // Each scaled channel is at most 255, so their product stays below 2^16 and its top byte below 255.
    static HWY_INLINE HalfVector channelsOf(HalfVector a, HalfVector b, HalfVector weightA,
                                            HalfVector weightB) {
        const HalfVector scaledA = hn::ShiftRight<8>(hn::Mul(a, weightA));
        const HalfVector scaledB = hn::ShiftRight<8>(hn::Mul(b, weightB));
        return hn::ShiftRight<8>(hn::Mul(scaledA, scaledB));
    }
};

// Whole vectors of pixels with narrow weights; returns how many pixels it blended.
template <class NarrowBlend>
HWY_INLINE int blendNarrow(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                           std::uint32_t weightB) {
    const WordTag dw;
    const HalfTag dh;
    const int lanes = static_cast<int>(hn::Lanes(dw));
    const HalfVector narrowA = hn::Set(dh, static_cast<std::uint16_t>(weightA));
    const HalfVector narrowB = hn::Set(dh, static_cast<std::uint16_t>(weightB));
    const HalfVector low = hn::Set(dh, 0xFFu);
    int p = 0;
    for (; p + lanes <= count; p += lanes) {
        const HalfVector pixelsA = hn::BitCast(dh, hn::LoadU(dw, a + p));
        const HalfVector pixelsB = hn::BitCast(dh, hn::LoadU(dw, b + p));
        const HalfVector even =
            NarrowBlend::channelsOf(hn::And(pixelsA, low), hn::And(pixelsB, low), narrowA, narrowB);
        const HalfVector odd =
            NarrowBlend::channelsOf(hn::ShiftRight<8>(pixelsA), hn::ShiftRight<8>(pixelsB), narrowA, narrowB);
        hn::StoreU(hn::BitCast(dw, hn::Or(even, hn::ShiftLeft<8>(odd))), dw, out + p);
    }
    return p;
}
#else
// One lane of 32 bits holds no pair of half-words.
struct NarrowAdded {};
struct NarrowMultiplied {};
template <class NarrowBlend>
HWY_INLINE int blendNarrow(const Pixel*, const Pixel*, Pixel*, int, std::uint32_t, std::uint32_t) {
    return 0;
}
#endif

// Whole vectors through the blend's channels, the tail through its plain loop.
template <class Blend, class NarrowBlend, class Plain>
HWY_INLINE void blendVector(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
                            std::int16_t amountB, Plain plain) {
    const WordTag dw;
    const int lanes = static_cast<int>(hn::Lanes(dw));
    int p = 0;
    if (weightOf(amountA) <= 256u && weightOf(amountB) <= 256u) {
        p = blendNarrow<NarrowBlend>(a, b, out, count, weightOf(amountA), weightOf(amountB));
    }
    const WordVector weightA = hn::Set(dw, weightOf(amountA));
    const WordVector weightB = hn::Set(dw, weightOf(amountB));
    for (; p + lanes <= count; p += lanes) {
        const WordVector pixelsA = hn::LoadU(dw, a + p);
        const WordVector pixelsB = hn::LoadU(dw, b + p);
        const WordVector result =
            hn::Or(hn::Or(Blend::template channelOf<0>(pixelsA, pixelsB, weightA, weightB),
                          Blend::template channelOf<8>(pixelsA, pixelsB, weightA, weightB)),
                   hn::Or(Blend::template channelOf<16>(pixelsA, pixelsB, weightA, weightB),
                          Blend::template channelOf<24>(pixelsA, pixelsB, weightA, weightB)));
        hn::StoreU(result, dw, out + p);
    }
    plain(a + p, b + p, out + p, count - p, amountA, amountB);
}

void addVector(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
               std::int16_t amountB) {
    blendVector<Added, NarrowAdded>(a, b, out, count, amountA, amountB, addPlain);
}

void multiplyVector(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
                    std::int16_t amountB) {
    blendVector<Multiplied, NarrowMultiplied>(a, b, out, count, amountA, amountB, multiplyPlain);
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
    WordVector scaled = hn::ShiftRight<8>(hn::Mul(wordByteAt<Shift>(pixels), weight));
    if constexpr (!NarrowWeight) {
        scaled = hn::Min(scaled, hn::Set(WordTag(), 255u));
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
    const auto plain = [&](const Pixel* fromA, const Pixel* fromB, Pixel* to, int n) {
        rotateHuePlain(fromA, fromB, to, n, weightA, turnPerUnit);
    };
    // A hue of [0, 255) plus a colour's length (at most 442) times a turn in [0, 8192) stays inside
    // [0, 2^22): no vector needs the check then.
    if (turnPerUnit >= 0.0f && turnPerUnit < 8192.0f) {
        hsvBlend(
            a, b, out, count, weightA,
            [&](HsvVector& hsv, FloatVector magnitude) {
                hsv.hue = wrapHue(hn::Add(hsv.hue, hn::Mul(magnitude, turn)));
                return true;
            },
            plain);
        return;
    }
    hsvBlend(
        a, b, out, count, weightA,
        [&](HsvVector& hsv, FloatVector magnitude) {
            const FloatVector hue = hn::Add(hsv.hue, hn::Mul(magnitude, turn));
            hsv.hue = wrapHue(hue);
            return wrapIsExact(hue);
        },
        plain);
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

} // namespace HWY_NAMESPACE
} // namespace Velvor
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace Velvor {

HWY_EXPORT(addVector);
HWY_EXPORT(multiplyVector);
HWY_EXPORT(rotateHueVector);
HWY_EXPORT(saturateVector);

void addFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
             std::int16_t amountB) {
    HWY_DYNAMIC_DISPATCH(addVector)(a, b, out, count, amountA, amountB);
}

void multiplyFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
                  std::int16_t amountB) {
    HWY_DYNAMIC_DISPATCH(multiplyVector)(a, b, out, count, amountA, amountB);
}

void rotateHueFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                   float turnPerUnit) {
    HWY_DYNAMIC_DISPATCH(rotateHueVector)(a, b, out, count, weightA, turnPerUnit);
}

void saturateFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::uint32_t weightA,
                  float gainPerUnit) {
    HWY_DYNAMIC_DISPATCH(saturateVector)(a, b, out, count, weightA, gainPerUnit);
}

} // namespace Velvor
#endif
