#include "core/parallel/ImageBands.h"

#include "core/parallel/Parallel.h"

#include <algorithm>
#include <cstring>

namespace Velvor {

void fillInBands(Image& image, Pixel value) {
    const int width = image.getWidth();
    if (image.getPixelCount() == 0) {
        return;
    }
    forEachBand(image.getHeight(), rowsPerBand(width),
                [&](int begin, int end) { std::fill(image.row(begin), image.row(end), value); });
}

void copyInBands(const Image& source, Image& target) {
    if (&source == &target) {
        return;
    }
    if (!target.sameSizeAs(source)) {
        target = Image(source.getWidth(), source.getHeight());
    }
    const int width = source.getWidth();
    if (source.getPixelCount() == 0) {
        return;
    }
    forEachBand(source.getHeight(), rowsPerBand(width), [&](int begin, int end) {
        std::memcpy(target.row(begin), source.row(begin),
                    static_cast<std::size_t>(end - begin) * static_cast<std::size_t>(width) * sizeof(Pixel));
    });
}

} // namespace Velvor
