#include "core/operators/NormalMap.h"

#include "core/kernels/NormalKernels.h"
#include "core/parallel/Parallel.h"

#include <algorithm>

namespace Velvor {

NormalMap::NormalMap(int width, int height)
    : Operator(OperatorType::NormalMap, 1, width, height, normalMapFields) {}

void NormalMap::generate(const Image* const* inputs) {
    if (!inputsFit(*this, portsOf(inputs)) || image_.getPixelCount() == 0) {
        return;
    }
    const Image& source = *inputs[0];
    const int width = image_.getWidth();
    const int height = image_.getHeight();
    // The slopes along the row and down the column are differences of I = channel sum / 3, divided
    // by 255 and scaled by amount / 256.
    const float slopePerSum = static_cast<float>(amount) / 256.0f / (3.0f * 255.0f);

    forEachBand(height, rowsPerBand(width), [&](int begin, int end) {
        for (int r = begin; r < end; ++r) {
            const Pixel* below = source.row(r == 0 ? height - 1 : r - 1);
            const Pixel* current = source.row(r);
            const Pixel* above = source.row(r == height - 1 ? 0 : r + 1);
            Pixel* out = image_.row(r);
            // The edge columns wrap; the columns between them run as one span.
            const Pixel first[2] = {current[width - 1], current[width > 1 ? 1 : 0]};
            normalsPlain(&first[0], &first[1], above, below, out, 1, slopePerSum);
            if (width > 2) {
                normalsFast(current, current + 2, above + 1, below + 1, out + 1, width - 2, slopePerSum);
            }
            if (width > 1) {
                const int last = width - 1;
                const Pixel edge[2] = {current[last - 1], current[0]};
                normalsPlain(&edge[0], &edge[1], above + last, below + last, out + last, 1, slopePerSum);
            }
        }
    });
}

} // namespace Velvor
