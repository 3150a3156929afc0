#include "core/operators/Checkboard.h"

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
    // its period, so each of the two row patterns is computed once and then copied.
    int firstRowOfPattern[2] = {-1, -1};
    for (int r = 0; r < height; ++r) {
        const int y = height - 1 - r;
        const int rowPhase = (y % period) >= square ? 1 : 0;
        Pixel* out = image_.row(r);
        if (firstRowOfPattern[rowPhase] >= 0) {
            std::memcpy(out, image_.row(firstRowOfPattern[rowPhase]),
                        static_cast<std::size_t>(width) * sizeof(Pixel));
            continue;
        }
        firstRowOfPattern[rowPhase] = r;
        for (int c = 0; c < width; ++c) {
            const int x = width - 1 - c;
            const int columnPhase = (x % period) >= square ? 1 : 0;
            out[c] = rowPhase != columnPhase ? opaqueBlack : opaqueWhite;
        }
    }
}

} // namespace Velvor
