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

// The bits of the float 2^23 + floor(value), which hold floor(value) in their low bits for 0 <= value
// < 2^23 (the exponent above them reads 0x4B000000): a truncation without the checks a conversion
// to int makes for values out of range.
HWY_INLINE WordVector wholeNumberBits(FloatVector value) {
    const FloatTag df;
    return hn::BitCast(WordTag(), hn::Add(hn::Floor(value), hn::Set(df, 8388608.0f)));
}

// A whole number's bits from wholeNumberBits, below 256, moved to bit `Shift`; the shift into place
// pushes the exponent out of the word.
template <int Shift> HWY_INLINE WordVector placedWholeNumber(WordVector bits) {
    if constexpr (Shift == 0) {
        return hn::And(bits, hn::Set(WordTag(), 0xFFu));
    } else {
        return hn::ShiftLeft<Shift>(bits);
    }
}

// The channel byte of a value that is not negative (nor NaN): min(value, 255) truncated, as the plain
// channelByte gives it, moved to bit `Shift`.
template <int Shift> HWY_INLINE WordVector placedByte(FloatVector value) {
    return placedWholeNumber<Shift>(wholeNumberBits(hn::Min(value, hn::Set(FloatTag(), 255.0f))));
}

} // namespace HWY_NAMESPACE
} // namespace Velvor
HWY_AFTER_NAMESPACE();

#endif
