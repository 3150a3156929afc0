#include "core/kernels/NormalKernels.h"

#include <algorithm>
#include <cmath>

namespace Velvor {

namespace {

int channelSum(Pixel p) {
    return static_cast<int>(redOf(p) + greenOf(p) + blueOf(p));
}

Pixel toNormalComponent(float n) {
    // n lies in [-1, 1]; the clamp only absorbs rounding just outside it.
    return static_cast<Pixel>(std::clamp(n * 127.5f + 127.5f, 0.0f, 255.0f));
}

} // namespace

// The cross product of the tangents (1, 0, sx) and (0, 1, sy) is (-sx, -sy, 1), so normalising it
// once gives the same normal as normalising the tangents first.
void normalsPlain(const Pixel* left, const Pixel* right, const Pixel* above, const Pixel* below, Pixel* out,
                  int count, float slopePerSum) {
    for (int k = 0; k < count; ++k) {
        const float sx = static_cast<float>(channelSum(right[k]) - channelSum(left[k])) * slopePerSum;
        const float sy = static_cast<float>(channelSum(above[k]) - channelSum(below[k])) * slopePerSum;
        const float inverseLength = 1.0f / std::sqrt(sx * sx + sy * sy + 1.0f);
        out[k] = (toNormalComponent(-sx * inverseLength) << 16) |
                 (toNormalComponent(-sy * inverseLength) << 8) | toNormalComponent(inverseLength);
    }
}

} // namespace Velvor
