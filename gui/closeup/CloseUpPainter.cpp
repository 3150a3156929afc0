#include "gui/closeup/CloseUpPainter.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Per widget column (or row), the sample shown there, -1 for none.
std::vector<int> samplesAlong(int widgetLength, double pan, double zoom, int size, bool tiled, bool seamCheck,
                              int samples) {
    std::vector<int> indices(static_cast<std::size_t>(widgetLength));
    for (int i = 0; i < widgetLength; ++i) {
        indices[static_cast<std::size_t>(i)] =
            sampleIndex((i + 0.5 - pan) / zoom, size, tiled, seamCheck, samples);
    }
    return indices;
}

} // namespace

void paintCloseUp(QImage& target, const QImage& samples, const PictureLayout& layout,
                  const ViewTransform& transform, ChannelMode mode, QRgb fill) {
    const int width = target.width();
    const int height = target.height();
    const std::vector<int> columns = samplesAlong(width, transform.panX, transform.zoom, layout.width,
                                                  layout.tiled, layout.seamCheck, samples.width());
    const std::vector<int> rows = samplesAlong(height, transform.panY, transform.zoom, layout.height,
                                               layout.tiled, layout.seamCheck, samples.height());
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(y));
        const int row = rows[static_cast<std::size_t>(y)];
        if (row < 0 || samples.isNull()) {
            std::fill(out, out + width, fill);
            continue;
        }
        const auto* in = reinterpret_cast<const std::uint32_t*>(samples.constScanLine(row));
        for (int x = 0; x < width; ++x) {
            const int column = columns[static_cast<std::size_t>(x)];
            if (column < 0) {
                out[x] = fill;
            } else if (mode == ChannelMode::AlphaOverChecker) {
                out[x] = shownWord(in[column], mode, checkerWord(x, y));
            } else {
                out[x] = shownWord(in[column], mode);
            }
        }
    }
}

QImage scaledDownPicture(const QImage& picture, double zoom) {
    if (picture.isNull()) {
        return {};
    }
    const int width = picture.width();
    const int height = picture.height();
    const int scaledWidth = std::clamp(static_cast<int>(std::lround(width * zoom)), 1, width);
    const int scaledHeight = std::clamp(static_cast<int>(std::lround(height * zoom)), 1, height);
    // Each byte averaged on its own over the block of pixels a sample covers (a box filter), so a
    // channel view of the smaller picture shows that channel's average.
    QImage scaled(scaledWidth, scaledHeight, QImage::Format_ARGB32);
    for (int y = 0; y < scaledHeight; ++y) {
        const int top = static_cast<int>(static_cast<long long>(y) * height / scaledHeight);
        const int bottom =
            std::max(top + 1, static_cast<int>(static_cast<long long>(y + 1) * height / scaledHeight));
        auto* out = reinterpret_cast<std::uint32_t*>(scaled.scanLine(y));
        for (int x = 0; x < scaledWidth; ++x) {
            const int left = static_cast<int>(static_cast<long long>(x) * width / scaledWidth);
            const int right =
                std::max(left + 1, static_cast<int>(static_cast<long long>(x + 1) * width / scaledWidth));
            std::uint64_t sums[4] = {0, 0, 0, 0};
            for (int row = top; row < bottom; ++row) {
                const auto* in = reinterpret_cast<const std::uint32_t*>(picture.constScanLine(row));
                for (int column = left; column < right; ++column) {
                    for (int byte = 0; byte < 4; ++byte) {
                        sums[byte] += (in[column] >> (8 * byte)) & 0xFFu;
                    }
                }
            }
            const std::uint64_t count =
                static_cast<std::uint64_t>(bottom - top) * static_cast<std::uint64_t>(right - left);
            std::uint32_t word = 0;
            for (int byte = 0; byte < 4; ++byte) {
                word |= static_cast<std::uint32_t>((sums[byte] + count / 2) / count) << (8 * byte);
            }
            out[x] = word;
        }
    }
    return scaled;
}
