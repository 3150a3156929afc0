#pragma once

// The canvas's zoom as plain functions. The view works in unscaled points (what a pixel is at 1:1):
// panning, hit tests and painting all use them, and the painter scales the result. Zoom levels are
// steps of a quarter octave, from 1/8 (step -12) to 4 (step 8).

#include "base/Point.h"

#include <span>

constexpr int minZoomStep = -12;
constexpr int maxZoomStep = 8;

// 2^(step / 4), the step held to the range.
double zoomFactor(int step);
int clampZoomStep(int step);

// The unscaled point shown at a pixel of the widget (rounded down).
Point unscaledPoint(Point pixel, double zoom);
// The pixel at which an unscaled point is shown (rounded down).
Point pixelOf(Point unscaled, double zoom);
// How many unscaled points a widget of `pixels` shows (rounded up).
Point unscaledSize(Point pixels, double zoom);

// The panning that keeps the canvas point under `pixel` there when the zoom goes from `from` to `to`.
Point panningZoomedAround(Point panning, Point pixel, double from, double to);

// The largest step, at most 0 (1:1), at which the node boxes at these positions fit in a view of
// `pixels` with a margin; 0 for no positions.
int fittingZoomStep(std::span<const Point> positions, Point pixels);
