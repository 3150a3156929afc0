// The vector versions of the Mixer's integer blends, compiled once per instruction set that Highway
// targets and chosen at run time. Each channel is worked in a 32-bit lane with the plain loop's
// unsigned, wrapping arithmetic, so every weight, negative ones included, gives the same bytes.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "core/MixerKernelsFast.cpp"
#include "core/MixerKernels.h"

#include <hwy/foreach_target.h> // IWYU pragma: keep
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace Velvor {
namespace HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

using WordTag = hn::ScalableTag<std::uint32_t>;
using WordVector = hn::Vec<WordTag>;

template <int Shift> HWY_INLINE WordVector channel(WordVector pixels) {
    return hn::And(hn::ShiftRight<Shift>(pixels), hn::Set(WordTag(), 0xFFu));
}

// min(value, 255) moved back into its channel.
template <int Shift> HWY_INLINE WordVector placed(WordVector value) {
    return hn::ShiftLeft<Shift>(hn::Min(value, hn::Set(WordTag(), 255u)));
}

struct Added {
    template <int Shift>
    static HWY_INLINE WordVector channelOf(WordVector a, WordVector b, WordVector weightA,
                                           WordVector weightB) {
        const WordVector sum =
            hn::Add(hn::Mul(channel<Shift>(a), weightA), hn::Mul(channel<Shift>(b), weightB));
        return placed<Shift>(hn::ShiftRight<8>(sum));
    }
};

struct Multiplied {
    template <int Shift>
    static HWY_INLINE WordVector channelOf(WordVector a, WordVector b, WordVector weightA,
                                           WordVector weightB) {
        const WordVector scaledA = hn::ShiftRight<8>(hn::Mul(channel<Shift>(a), weightA));
        const WordVector scaledB = hn::ShiftRight<8>(hn::Mul(channel<Shift>(b), weightB));
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

} // namespace HWY_NAMESPACE
} // namespace Velvor
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace Velvor {

HWY_EXPORT(addVector);
HWY_EXPORT(multiplyVector);

void addFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
             std::int16_t amountB) {
    HWY_DYNAMIC_DISPATCH(addVector)(a, b, out, count, amountA, amountB);
}

void multiplyFast(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
                  std::int16_t amountB) {
    HWY_DYNAMIC_DISPATCH(multiplyVector)(a, b, out, count, amountA, amountB);
}

} // namespace Velvor
#endif
