// The vector version of the displacement's resampling, compiled once per instruction set that
// Highway targets and chosen at run time. It mirrors the plain loop operation for operation; the tail
// of a span and vectors that sample across an edge of the image or from its last row or column go
// through the plain code.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "core/kernels/DisplacementKernelsFast.cpp"
#include "core/kernels/DisplacementKernels.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <hwy/foreach_target.h> // IWYU pragma: keep
// After the target loop, so that the shared helpers are compiled for every target too.
#include "core/kernels/PixelVectors-inl.h"

#include <hwy/cache_control.h>
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace Velvor {
namespace HWY_NAMESPACE {

#if HWY_TARGET != HWY_SCALAR
// Displacement: the shifts and the sums j + dx are doubles, as in the plain loop, worked out a half
// vector at a time; everything after their rounding to float runs on full float vectors.
using ShiftTag = hn::Repartition<double, FloatTag>;
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

// Whether every lane lies in [0, limit), where the plain wrap leaves a position as it is.
HWY_INLINE hn::Mask<FloatTag> inside(FloatVector position, FloatVector limit) {
    const FloatTag df;
    return hn::And(hn::Ge(position, hn::Zero(df)), hn::Lt(position, limit));
}

struct SampleAxis {
    IntVector index;
    FloatVector fraction;
};

// For a position inside [0, size) with size at most 2^23, where truncation is floor and the whole
// part is exact in float.
HWY_INLINE SampleAxis sampleAxis(FloatVector position) {
    const IntTag di;
    const IntVector bits = hn::BitCast(di, wholeNumberBits(position));
    return {hn::Sub(bits, hn::Set(di, 0x4B000000)), hn::Sub(position, hn::Floor(position))};
}

HWY_INLINE FloatVector lerp(FloatVector a, FloatVector b, FloatVector t) {
    return hn::Add(a, hn::Mul(t, hn::Sub(b, a)));
}

// The channel byte at bit `Shift` as a float: the middle two bytes by one byte shuffle each.
template <int Shift> HWY_INLINE FloatVector channelOf(WordVector pixels) {
    if constexpr (Shift == 0 || Shift == 24) {
        return floatByteAt<Shift>(pixels);
    } else {
        const WordTag dw;
        constexpr std::uint32_t none = 0x80808000u; // a byte index with its top bit set gives 0
        alignas(16) static constexpr std::uint32_t byteOfLane[4] = {
            none + Shift / 8, none + 4 + Shift / 8, none + 8 + Shift / 8, none + 12 + Shift / 8};
        const WordVector bytes = hn::TableLookupBytesOr0(pixels, hn::LoadDup128(dw, byteOfLane));
        return hn::ConvertTo(FloatTag(), hn::BitCast(IntTag(), bytes));
    }
}

// The bilinear blend of one channel; it lies in [0, 256), see the plain lerp.
template <int Shift>
HWY_INLINE FloatVector bilinearChannel(const WordVector (&corners)[4], FloatVector fx, FloatVector fy) {
    const FloatVector top = lerp(channelOf<Shift>(corners[0]), channelOf<Shift>(corners[1]), fx);
    const FloatVector bottom = lerp(channelOf<Shift>(corners[2]), channelOf<Shift>(corners[3]), fx);
    return lerp(top, bottom, fy);
}

// Two blends truncated, the higher one times 256, as the low 16 bits of a float's bits (see
// wholeNumberBits; sums below 2^16 are exact).
HWY_INLINE WordVector twoChannelBits(FloatVector low, FloatVector high) {
    const FloatTag df;
    return hn::BitCast(
        WordTag(), hn::Add(hn::Add(hn::Mul(hn::Floor(high), hn::Set(df, 256.0f)), hn::Set(df, 8388608.0f)),
                           hn::Floor(low)));
}

HWY_INLINE WordVector bilinear(const WordVector (&corners)[4], FloatVector fx, FloatVector fy) {
    const WordVector lowHalf =
        twoChannelBits(bilinearChannel<0>(corners, fx, fy), bilinearChannel<8>(corners, fx, fy));
    const WordVector highHalf =
        twoChannelBits(bilinearChannel<16>(corners, fx, fy), bilinearChannel<24>(corners, fx, fy));
    return hn::Or(hn::And(lowHalf, hn::Set(WordTag(), 0xFFFFu)), hn::ShiftLeft<16>(highHalf));
}

// A row is resampled a block at a time in four passes whose data stay in the L1 cache: the shifts
// looked up, the sample positions worked out on vectors, the corner pairs read by plain 8-byte
// loads, and the blend on vectors. Each pass is a loop of independent steps, which the processor
// overlaps; on a Zen 3 this took half the time of vector gathers of the shifts and the pairs.
constexpr int blockPixels = 256;

struct alignas(64) Block {
    double shiftX[blockPixels];
    double shiftY[blockPixels];
    float fractionX[blockPixels];
    float fractionY[blockPixels];
    std::int32_t offset[blockPixels];    // of the top left corner; the bottom pair is a row on
    std::uint64_t topPairs[blockPixels]; // a pixel and its right-hand neighbour, left one low
    std::uint64_t bottomPairs[blockPixels];
    std::uint8_t plain[blockPixels]; // per vector: sampled across an edge, so done plainly
};

// Positions, fractions and offsets of `count` pixels (whole vectors) from block-relative shifts;
// returns the furthest-down top row sampled by a vector the plain code does not take, or -1.
HWY_INLINE int locate(const DisplacementSpan& span, int offset, int count, const double* shiftX,
                      const double* shiftY, Block& block) {
    const ShiftTag dd;
    const FloatTag df;
    const hn::Half<FloatTag> dh;
    const IntTag di;
    const int lanes = static_cast<int>(hn::Lanes(df));
    const int half = static_cast<int>(hn::Lanes(dd));
    const FloatVector limitX = hn::Set(df, static_cast<float>(span.width));
    const FloatVector limitY = hn::Set(df, static_cast<float>(span.height));
    const ShiftVector row = hn::Set(dd, static_cast<double>(span.row));
    const IntVector width = hn::Set(di, span.width);
    const IntVector lastColumn = hn::Set(di, span.width - 1);
    const IntVector lastRow = hn::Set(di, span.height - 1);
    // Iota stores and reloads its lanes; the column of each lane is its number plus j, exactly.
    const ShiftVector laneNumbers = hn::Iota(dd, 0);
    IntVector lowest = hn::Set(di, -1);
    for (int k = 0; k < count; k += lanes) {
        const ShiftVector column =
            hn::Add(hn::Set(dd, static_cast<double>(span.begin + offset + k)), laneNumbers);
        const ShiftVector upperColumn = hn::Add(column, hn::Set(dd, static_cast<double>(half)));
        const FloatVector positionX =
            hn::Combine(df, hn::DemoteTo(dh, hn::Add(hn::LoadU(dd, shiftX + k + half), upperColumn)),
                        hn::DemoteTo(dh, hn::Add(hn::LoadU(dd, shiftX + k), column)));
        const FloatVector positionY =
            hn::Combine(df, hn::DemoteTo(dh, hn::Add(hn::LoadU(dd, shiftY + k + half), row)),
                        hn::DemoteTo(dh, hn::Add(hn::LoadU(dd, shiftY + k), row)));
        const SampleAxis x = sampleAxis(positionX);
        const SampleAxis y = sampleAxis(positionY);
        // Positions past an edge wrap through fmod, and the last column's and last row's
        // neighbours are the first ones: all rare, at the borders only.
        const bool inner = hn::AllTrue(df, hn::And(inside(positionX, limitX), inside(positionY, limitY))) &&
                           hn::AllFalse(di, hn::Or(hn::Eq(x.index, lastColumn), hn::Eq(y.index, lastRow)));
        block.plain[k / lanes] = inner ? 0 : 1;
        // Offsets stay below 2^31: a material holds at most 2^29 pixels. Plain vectors read the
        // first two rows' first pairs instead, which every image of two rows and columns has.
        const IntVector corner = hn::Add(hn::Mul(y.index, width), x.index);
        hn::Store(inner ? corner : hn::Zero(di), di, block.offset + k);
        hn::Store(x.fraction, df, block.fractionX + k);
        hn::Store(y.fraction, df, block.fractionY + k);
        if (inner) {
            lowest = hn::Max(lowest, y.index);
        }
    }
    return hn::GetLane(hn::MaxOfLanes(di, lowest));
}

template <bool PerPixel> void displaceSpan(const DisplacementSpan& span) {
    const FloatTag df;
    const WordTag dw;
    const int lanes = static_cast<int>(hn::Lanes(df));
    constexpr int exactWholes = 1 << 23;
    if (span.width < 2 || span.height < 2 || span.width > exactWholes || span.height > exactWholes) {
        displacePlain(span);
        return;
    }
    const int whole = span.count / lanes * lanes;
    Block block;
    for (int offset = 0; offset < whole; offset += blockPixels) {
        const int count = std::min(blockPixels, whole - offset);
        const double* shiftX = span.shiftX + offset;
        const double* shiftY = span.shiftY + offset;
        if constexpr (!PerPixel) {
            const Pixel* modulator = span.modulator + span.begin + offset;
            for (int k = 0; k < count; ++k) {
                block.shiftX[k] = span.shiftX[(modulator[k] >> span.byteShiftX) & 0xFFu];
                block.shiftY[k] = span.shiftY[(modulator[k] >> span.byteShiftY) & 0xFFu];
            }
            shiftX = block.shiftX;
            shiftY = block.shiftY;
        }
        // The next row's samples reach about one source row further down, which its irregular
        // first touches do not let the hardware prefetcher see coming.
        const int ahead = locate(span, offset, count, shiftX, shiftY, block) + 2;
        if (ahead >= 2 && ahead < span.height) {
            const Pixel* line =
                span.source + static_cast<std::ptrdiff_t>(ahead) * span.width + span.begin + offset;
            for (int k = 0; k < count; k += 64 / static_cast<int>(sizeof(Pixel))) {
                hwy::Prefetch(line + k);
            }
        }
        const Pixel* source = span.source;
        const std::ptrdiff_t below = span.width;
        for (int k = 0; k < count; ++k) {
            const Pixel* corner = source + block.offset[k];
            std::memcpy(&block.topPairs[k], corner, sizeof(std::uint64_t));
            std::memcpy(&block.bottomPairs[k], corner + below, sizeof(std::uint64_t));
        }
        Pixel* out = span.out + span.begin + offset;
        for (int k = 0; k < count; k += lanes) {
            if (block.plain[k / lanes] != 0) {
                displacePlain(partOf(span, offset + k, lanes));
                continue;
            }
            WordVector corners[4];
            hn::LoadInterleaved2(dw, reinterpret_cast<const std::uint32_t*>(block.topPairs + k), corners[0],
                                 corners[1]);
            hn::LoadInterleaved2(dw, reinterpret_cast<const std::uint32_t*>(block.bottomPairs + k),
                                 corners[2], corners[3]);
            const FloatVector fx = hn::Load(df, block.fractionX + k);
            const FloatVector fy = hn::Load(df, block.fractionY + k);
            hn::StoreU(bilinear(corners, fx, fy), dw, out + k);
        }
    }
    displacePlain(partOf(span, whole, span.count - whole));
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
