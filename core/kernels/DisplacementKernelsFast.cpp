// The vector version of the displacement's resampling, compiled once per instruction set that
// Highway targets and chosen at run time. It mirrors the plain loop operation for operation; the tail
// of a span and vectors that sample across an edge of the image go through the plain code.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "core/kernels/DisplacementKernelsFast.cpp"
#include "core/kernels/DisplacementKernels.h"

#include <hwy/foreach_target.h> // IWYU pragma: keep
// After the target loop, so that the shared helpers are compiled for every target too.
#include "core/kernels/PixelVectors-inl.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace Velvor {
namespace HWY_NAMESPACE {

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

HWY_EXPORT(displaceVector);

void displaceFast(const DisplacementSpan& span) {
    HWY_DYNAMIC_DISPATCH(displaceVector)(span);
}

} // namespace Velvor
#endif
