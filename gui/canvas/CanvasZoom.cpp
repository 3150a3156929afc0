#include "gui/canvas/CanvasZoom.h"

#include "gui/canvas/CanvasGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

int saturated(double value) {
    constexpr double low = std::numeric_limits<int>::min();
    constexpr double high = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(std::floor(value), low, high));
}

} // namespace

int clampZoomStep(int step) {
    return std::clamp(step, minZoomStep, maxZoomStep);
}

double zoomFactor(int step) {
    return std::exp2(clampZoomStep(step) / 4.0);
}

Point unscaledPoint(Point pixel, double zoom) {
    return {saturated(pixel.x / zoom), saturated(pixel.y / zoom)};
}

Point pixelOf(Point unscaled, double zoom) {
    return {saturated(unscaled.x * zoom), saturated(unscaled.y * zoom)};
}

Point unscaledSize(Point pixels, double zoom) {
    return {saturated(std::ceil(pixels.x / zoom)), saturated(std::ceil(pixels.y / zoom))};
}

Point panningZoomedAround(Point panning, Point pixel, double from, double to) {
    // canvas = pixel / zoom - panning must stay the same for the pixel under the cursor.
    const auto axis = [](int pan, int at, double a, double b) {
        return saturated(std::round(pan + at / b - at / a));
    };
    return {axis(panning.x, pixel.x, from, to), axis(panning.y, pixel.y, from, to)};
}

int fittingZoomStep(std::span<const Point> positions, Point pixels) {
    if (positions.empty()) {
        return 0;
    }
    const auto [minX, minY, maxX, maxY] = boundsOf(positions);
    // Room for the labels above and below each box.
    constexpr int margin = 48;
    const double width = static_cast<double>(maxX - minX + nodeBox.right + 2 * margin);
    const double height = static_cast<double>(maxY - minY + nodeBox.bottom + 2 * margin);
    for (int step = 0; step > minZoomStep; --step) {
        const double zoom = zoomFactor(step);
        if (width * zoom <= pixels.x && height * zoom <= pixels.y) {
            return step;
        }
    }
    return minZoomStep;
}
