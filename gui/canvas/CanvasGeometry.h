#pragma once

// The canvas's geometry as plain functions, shared by painting and hit-testing.
//
// Two coordinate spaces: canvas points (node positions, stored in the material) and screen points
// (pixels of the view). screen = canvas + panning. Port geometry is worked out relative to a node's
// box, whose top-left corner is (0, 0), so that it stays small numbers wherever the node lies; the
// helpers that move between spaces saturate instead of overflowing, since a file may put a node at
// any 32-bit position.

#include "base/Point.h"
#include "gui/canvas/CableCurve.h"
#include "model/VisualNode.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// Left and top inclusive, right and bottom exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    bool contains(Point p) const { return left <= p.x && p.x < right && top <= p.y && p.y < bottom; }
    // The mean of the edges, rounded toward zero.
    Point centre() const { return {(left + right) / 2, (top + bottom) / 2}; }

    friend bool operator==(const Rect&, const Rect&) = default;
};

constexpr int gridSpacing = 32;
// The box of every node, whatever its image size.
constexpr Rect nodeBox{0, 0, VisualNode::boxSize, VisualNode::boxSize};

// a + b and a - b per axis, held to the 32-bit range.
Point saturatingAdd(Point a, Point b);
Point saturatingSubtract(Point a, Point b);

// Port -1 is the output; 0 .. inputCount - 1 are the inputs, stacked around the box's middle.
Rect portRect(int port, int inputCount);

struct PortHit {
    int port;
    Rect rect;
};

// The port under a point relative to the node's top-left corner: the output first (when the node has
// one), then the inputs in order.
std::optional<PortHit> portAt(Point relative, bool hasOutput, int inputCount);

// Screen coordinate of the first grid line for a panning along that axis: in 1 .. 32 when the
// panning is 0 or negative, in 0 .. 31 when positive, so the lines stay on canvas multiples of 32.
int firstGridLine(int panning);

// The curve of a cable from the output of the node whose box starts at screen point `from` to input
// `toPort` of the node (with `toInputCount` inputs) whose box starts at `to`.
CableCurve cableCurveBetween(Point from, Point to, int toPort, int toInputCount);

// The squared distance that still counts as a hit on a cable: 8 pixels.
constexpr long long cableHitDistanceSquared = 64;
// How many of a cable's points the hit test looks at: all but the last.
constexpr std::size_t cableHitPointCount = cableCurvePointCount - 1;

// The first curve with one of its first 98 points within 8 pixels of the point.
std::optional<std::size_t> cableAt(std::span<const CableCurve> curves, Point p);

// The first curve that runs through the middle of the node box at `corner` (the box less a quarter of
// its size on every side): where a node dropped on a cable goes in between.
std::optional<std::size_t> cableThroughBox(std::span<const CableCurve> curves, Point corner);

// The smallest and largest corner of a set of node positions, in 64 bits; for at least one position.
struct PositionBounds {
    std::int64_t minX, minY, maxX, maxY;
};
PositionBounds boundsOf(std::span<const Point> positions);

// The panning that centres the bounding box of the node boxes at these positions in a view of
// `viewSize`; nothing for no positions.
std::optional<Point> reorientedPanning(std::span<const Point> positions, Point viewSize);
