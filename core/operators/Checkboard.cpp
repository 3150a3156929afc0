#include "core/operators/Checkboard.h"

#include "core/parallel/Parallel.h"

#include <algorithm>
#include <cstring>

namespace Velvor {

Checkboard::Checkboard(int width, int height)
    : Operator(OperatorType::Checkerboard, 0, width, height, checkboardFields) {}

void Checkboard::generate(const Image* const* /*inputs*/) {
    const int width = image_.getWidth();
    const int height = image_.getHeight();
    // An image without pixels has no rows to copy from (its buffer is null).
    if (width <= 0 || height <= 0) {
        return;
    }
    const int usableBlocks = std::max<int>(blocks, 1);
    const int square = std::max(width / usableBlocks, 1);
    const int period = 2 * square;

    // Counters run downwards while memory runs forwards: memory row r is y = height - 1 - r and
    // memory column c is x = width - 1 - c. A row depends only on whether y lies in the upper half of
    // its period, so each of the two row patterns is computed once, in the first memory row that has
    // it, and then copied.
    const auto phaseOf = [&](int r) { return ((height - 1 - r) % period) >= square ? 1 : 0; };
    int patternRow[2] = {-1, -1};
    for (int r = 0; r < height && (patternRow[0] < 0 || patternRow[1] < 0); ++r) {
        const int rowPhase = phaseOf(r);
        if (patternRow[rowPhase] >= 0) {
            continue;
        }
        patternRow[rowPhase] = r;
        Pixel* out = image_.row(r);
        for (int c = 0; c < width; ++c) {
            const int x = width - 1 - c;
            const int columnPhase = (x % period) >= square ? 1 : 0;
            out[c] = rowPhase != columnPhase ? opaqueBlack : opaqueWhite;
        }
    }
    forEachBand(height, rowsPerBand(width), [&](int begin, int end) {
        for (int r = begin; r < end; ++r) {
            const int pattern = patternRow[phaseOf(r)];
            if (r != pattern) {
                std::memcpy(image_.row(r), image_.row(pattern),
                            static_cast<std::size_t>(width) * sizeof(Pixel));
            }
        }
    });
}

} // namespace Velvor
