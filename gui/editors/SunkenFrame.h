#pragma once

// The 3-D frame of the colour swatch and the colour picker's views, on the frame rectangle whose right
// and bottom edges (r, b) lie just outside it: a shadow line along the left and top, a highlight line
// along the right and bottom, and a black rectangle just inside from (l + 1, t + 1) to (r - 1, b - 1).
// Pixels beyond the widget are clipped, so a frame on (0, 0, width, height) shows no highlight.

class QPainter;
class QPalette;

void paintSunkenFrame(QPainter& painter, const QPalette& palette, int l, int t, int r, int b);
