#include "gui/closeup/CloseUpGeometry.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr std::array zoomLadder{1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3, 1.0 / 2,
                                2.0 / 3,  1.0,      1.5,     2.0,     3.0,     4.0,     6.0,
                                8.0,      12.0,     16.0,    24.0,    32.0};

// Zooms that differ by less than this count as one rung (a fit or a sum of steps may land near one).
constexpr double sameZoom = 1e-9;

} // namespace

double zoomStep(double zoom, int notches) {
    for (; notches > 0; --notches) {
        const auto above = std::find_if(zoomLadder.begin(), zoomLadder.end(),
                                        [zoom](double rung) { return rung > zoom * (1 + sameZoom); });
        zoom = above != zoomLadder.end() ? *above : zoomLadder.back();
    }
    for (; notches < 0; ++notches) {
        const auto below = std::find_if(zoomLadder.rbegin(), zoomLadder.rend(),
                                        [zoom](double rung) { return rung < zoom * (1 - sameZoom); });
        zoom = below != zoomLadder.rend() ? *below : zoomLadder.front();
    }
    return std::clamp(zoom, minimumZoom, maximumZoom);
}

ViewTransform zoomAround(const ViewTransform& transform, double zoom, ViewPoint anchor) {
    zoom = std::clamp(zoom, minimumZoom, maximumZoom);
    const ViewPoint held = toPicture(transform, anchor);
    return {zoom, anchor.x - held.x * zoom, anchor.y - held.y * zoom};
}

ViewTransform fitTransform(int pictureWidth, int pictureHeight, int viewWidth, int viewHeight) {
    if (pictureWidth <= 0 || pictureHeight <= 0 || viewWidth <= 0 || viewHeight <= 0) {
        return {};
    }
    const double zoom = std::clamp(std::min(static_cast<double>(viewWidth) / pictureWidth,
                                            static_cast<double>(viewHeight) / pictureHeight),
                                   minimumZoom, maximumZoom);
    return {zoom, (viewWidth - pictureWidth * zoom) / 2, (viewHeight - pictureHeight * zoom) / 2};
}

ViewPoint toPicture(const ViewTransform& transform, ViewPoint widget) {
    return {(widget.x - transform.panX) / transform.zoom, (widget.y - transform.panY) / transform.zoom};
}

ViewPoint toWidget(const ViewTransform& transform, ViewPoint picture) {
    return {picture.x * transform.zoom + transform.panX, picture.y * transform.zoom + transform.panY};
}

int sampleIndex(double picture, int size, bool tiled, bool seamCheck, int samples) {
    if (size <= 0 || samples <= 0 || !std::isfinite(picture)) {
        return -1;
    }
    if (!tiled && (picture < 0 || picture >= size)) {
        return -1;
    }
    if (seamCheck) {
        picture += size / 2;
    }
    double wrapped = std::fmod(picture, static_cast<double>(size));
    if (wrapped < 0) {
        wrapped += size;
    }
    const auto index = static_cast<int>(std::floor(wrapped * samples / size));
    return std::clamp(index, 0, samples - 1);
}

std::optional<PixelPlace> pixelAt(const ViewTransform& transform, const PictureLayout& layout, int widgetX,
                                  int widgetY) {
    const ViewPoint picture = toPicture(transform, {widgetX + 0.5, widgetY + 0.5});
    const int column = sampleIndex(picture.x, layout.width, layout.tiled, layout.seamCheck, layout.width);
    const int shownRow = sampleIndex(picture.y, layout.height, layout.tiled, layout.seamCheck, layout.height);
    if (column < 0 || shownRow < 0) {
        return std::nullopt;
    }
    return PixelPlace{column, layout.height - 1 - shownRow};
}
