#pragma once

// The cable as the canvas draws it: a curve from the centre of the source's output port to the centre
// of the target's input port that sags below the straight line, less the farther apart its ends are.
// Pure geometry, shared by drawing and by hit-testing a cable; all points are in one coordinate space
// (whichever the ends are given in).

#include "base/Point.h"

#include <array>
#include <cstddef>

constexpr std::size_t cableCurvePointCount = 99;
using CableCurve = std::array<Point, cableCurvePointCount>;

// Three keys, the ends and a middle key below their midpoint, joined by a cubic Hermite spline with
// Kochanek-Bartels tangents (tension -0.4, continuity 0.1, bias 0), sampled at t = 0, 1/98, ... in
// single precision and truncated toward zero. The first point is `start`; the last lies within a pixel
// of `end`, since t never quite reaches 1.
CableCurve cableCurve(Point start, Point end);
