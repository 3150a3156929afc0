// The vector version of the plasma's vertical interpolation, compiled once per instruction set that
// Highway targets and chosen at run time. It mirrors the plain loop operation for operation; the tail
// of a span goes through the plain code.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "core/kernels/PlasmaKernelsFast.cpp"
#include "core/kernels/PlasmaKernels.h"

#include <hwy/foreach_target.h> // IWYU pragma: keep
// After the target loop, so that the shared helpers are compiled for every target too.
#include "core/kernels/PixelVectors-inl.h"

#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace Velvor {
namespace HWY_NAMESPACE {

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

} // namespace HWY_NAMESPACE
} // namespace Velvor
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace Velvor {

HWY_EXPORT(cubicRowVector);

void cubicRowFast(const Pixel* const rows[4], const Pixel* tint, Pixel* out, int count, float t) {
    HWY_DYNAMIC_DISPATCH(cubicRowVector)(rows, tint, out, count, t);
}

} // namespace Velvor
#endif
