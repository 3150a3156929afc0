// Vector helpers the kernels' vector paths share. Each *Fast.cpp includes this after
// hwy/foreach_target.h, so it is compiled once per instruction set: the include guard flips with
// HWY_TARGET_TOGGLE instead of keeping a second inclusion out.

#if defined(VELVOR_CORE_KERNELS_PIXEL_VECTORS_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef VELVOR_CORE_KERNELS_PIXEL_VECTORS_INL_H_
#undef VELVOR_CORE_KERNELS_PIXEL_VECTORS_INL_H_
#else
#define VELVOR_CORE_KERNELS_PIXEL_VECTORS_INL_H_
#endif

#include "core/Image.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace Velvor {
namespace HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

// A pixel word a lane, and its channels as ints or floats in lanes of the same width.
using FloatTag = hn::ScalableTag<float>;
using IntTag = hn::RebindToSigned<FloatTag>;
using WordTag = hn::RebindToUnsigned<FloatTag>;
using FloatVector = hn::Vec<FloatTag>;
using IntVector = hn::Vec<IntTag>;
using WordVector = hn::Vec<WordTag>;

// The channel byte at bit `Shift` of each pixel, in the low byte of its lane.
template <int Shift> HWY_INLINE WordVector wordByteAt(WordVector pixels) {
    return hn::And(hn::ShiftRight<Shift>(pixels), hn::Set(WordTag(), 0xFFu));
}

template <int Shift> HWY_INLINE IntVector byteAt(WordVector pixels) {
    return hn::BitCast(IntTag(), wordByteAt<Shift>(pixels));
}

template <int Shift> HWY_INLINE FloatVector floatByteAt(WordVector pixels) {
    return hn::ConvertTo(FloatTag(), byteAt<Shift>(pixels));
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

} // namespace HWY_NAMESPACE
} // namespace Velvor
HWY_AFTER_NAMESPACE();

#endif
