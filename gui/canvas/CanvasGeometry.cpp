#include "gui/canvas/CanvasGeometry.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

int saturated(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                     std::numeric_limits<std::int32_t>::max()));
}

} // namespace

Point saturatingAdd(Point a, Point b) {
    return {saturated(std::int64_t{a.x} + b.x), saturated(std::int64_t{a.y} + b.y)};
}

Point saturatingSubtract(Point a, Point b) {
    return {saturated(std::int64_t{a.x} - b.x), saturated(std::int64_t{a.y} - b.y)};
}

Rect portRect(int port, int inputCount) {
    const int middle = nodeBox.top + (nodeBox.bottom - nodeBox.top) / 2;
    if (port < 0) {
        return {nodeBox.right - 15, middle - 5, nodeBox.right - 4, middle + 5};
    }
    const int top = middle - (inputCount * 13) / 2 + 13 * port;
    return {nodeBox.left + 4, top, nodeBox.left + 15, top + 11};
}

std::optional<PortHit> portAt(Point relative, bool hasOutput, int inputCount) {
    for (int port = hasOutput ? -1 : 0; port < inputCount; ++port) {
        const Rect rect = portRect(port, inputCount);
        if (rect.contains(relative)) {
            return PortHit{port, rect};
        }
    }
    return std::nullopt;
}

int firstGridLine(int panning) {
    const int line = panning % gridSpacing;
    return panning <= 0 ? line + gridSpacing : line;
}

CableCurve cableCurveBetween(Point from, Point to, int toPort, int toInputCount) {
    return cableCurve(saturatingAdd(from, portRect(-1, 0).centre()),
                      saturatingAdd(to, portRect(toPort, toInputCount).centre()));
}

std::optional<std::size_t> cableAt(std::span<const CableCurve> curves, Point p) {
    for (std::size_t i = 0; i < curves.size(); ++i) {
        for (std::size_t k = 0; k < cableHitPointCount; ++k) {
            const std::int64_t dx = std::int64_t{curves[i][k].x} - p.x;
            const std::int64_t dy = std::int64_t{curves[i][k].y} - p.y;
            // Far points are passed over before squaring, which could overflow.
            if (std::abs(dx) <= 8 && std::abs(dy) <= 8 && dx * dx + dy * dy <= cableHitDistanceSquared) {
                return i;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> cableThroughBox(std::span<const CableCurve> curves, Point corner) {
    constexpr int inset = nodeBox.right / 4;
    const std::int64_t left = std::int64_t{corner.x} + inset;
    const std::int64_t top = std::int64_t{corner.y} + inset;
    const std::int64_t right = std::int64_t{corner.x} + nodeBox.right - inset;
    const std::int64_t bottom = std::int64_t{corner.y} + nodeBox.bottom - inset;
    for (std::size_t i = 0; i < curves.size(); ++i) {
        for (const Point p : curves[i]) {
            if (left <= p.x && p.x < right && top <= p.y && p.y < bottom) {
                return i;
            }
        }
    }
    return std::nullopt;
}

PositionBounds boundsOf(std::span<const Point> positions) {
    PositionBounds bounds{positions.front().x, positions.front().y, positions.front().x, positions.front().y};
    for (const Point position : positions) {
        bounds.minX = std::min<std::int64_t>(bounds.minX, position.x);
        bounds.minY = std::min<std::int64_t>(bounds.minY, position.y);
        bounds.maxX = std::max<std::int64_t>(bounds.maxX, position.x);
        bounds.maxY = std::max<std::int64_t>(bounds.maxY, position.y);
    }
    return bounds;
}

std::optional<Point> reorientedPanning(std::span<const Point> positions, Point viewSize) {
    if (positions.empty()) {
        return std::nullopt;
    }
    const auto [minX, minY, maxX, maxY] = boundsOf(positions);
    const std::int64_t centreX = (minX + maxX + nodeBox.right) / 2;
    const std::int64_t centreY = (minY + maxY + nodeBox.bottom) / 2;
    return Point{saturated(viewSize.x / 2 - centreX), saturated(viewSize.y / 2 - centreY)};
}
