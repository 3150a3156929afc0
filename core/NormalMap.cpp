#include "core/NormalMap.h"

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

// The slopes along the row and down the column are (I(right) - I(left)) / 255 * k and
// (I(next row) - I(previous row)) / 255 * k with I = channel sum / 3. The cross product of the
// tangents (1, 0, sx) and (0, 1, sy) is (-sx, -sy, 1), so normalising it once gives the same normal as
// normalising the tangents first.
inline Pixel normalFor(Pixel left, Pixel right, Pixel previousRow, Pixel nextRow, float slopePerSum) {
    const float sx = static_cast<float>(channelSum(right) - channelSum(left)) * slopePerSum;
    const float sy = static_cast<float>(channelSum(nextRow) - channelSum(previousRow)) * slopePerSum;
    const float inverseLength = 1.0f / std::sqrt(sx * sx + sy * sy + 1.0f);
    return (toNormalComponent(-sx * inverseLength) << 16) | (toNormalComponent(-sy * inverseLength) << 8) |
           toNormalComponent(inverseLength);
}

} // namespace

NormalMap::NormalMap(int width, int height)
    : Operator(OperatorType::NormalMap, 1, width, height, normalMapFields) {}

void NormalMap::generate(const Image* const* inputs) {
    // A missing or mismatched input would be read out of bounds; the image is left as it was.
    if (inputs == nullptr || inputs[0] == nullptr || !inputs[0]->sameSizeAs(image_) ||
        image_.getPixelCount() == 0) {
        return;
    }
    const Image& source = *inputs[0];
    const int width = image_.getWidth();
    const int height = image_.getHeight();
    const float slopePerSum = static_cast<float>(amount) / 256.0f / (3.0f * 255.0f);

    for (int r = 0; r < height; ++r) {
        const Pixel* previous = source.row(r == 0 ? height - 1 : r - 1);
        const Pixel* current = source.row(r);
        const Pixel* next = source.row(r == height - 1 ? 0 : r + 1);
        Pixel* out = image_.row(r);
        // The edge columns wrap; the columns between them run as one branch-free loop.
        out[0] = normalFor(current[width - 1], current[width > 1 ? 1 : 0], previous[0], next[0], slopePerSum);
        for (int c = 1; c < width - 1; ++c) {
            out[c] = normalFor(current[c - 1], current[c + 1], previous[c], next[c], slopePerSum);
        }
        if (width > 1) {
            const int last = width - 1;
            out[last] = normalFor(current[last - 1], current[0], previous[last], next[last], slopePerSum);
        }
    }
}

} // namespace Velvor
