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

// Whole vectors through the blend's channels, the tail through its plain loop.
template <class Blend, class Plain>
HWY_INLINE void blendVector(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
                            std::int16_t amountB, Plain plain) {
    const WordTag dw;
    const int lanes = static_cast<int>(hn::Lanes(dw));
    const WordVector weightA = hn::Set(dw, weightOf(amountA));
    const WordVector weightB = hn::Set(dw, weightOf(amountB));
    int p = 0;
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
    blendVector<Added>(a, b, out, count, amountA, amountB, addPlain);
}

void multiplyVector(const Pixel* a, const Pixel* b, Pixel* out, int count, std::int16_t amountA,
                    std::int16_t amountB) {
    blendVector<Multiplied>(a, b, out, count, amountA, amountB, multiplyPlain);
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
