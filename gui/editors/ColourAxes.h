#pragma once

// The colour picker's geometry, without any drawing: which channel each part of the picker edits for
// the chosen axis, what the field shows at a cell, and how mouse positions map to channel values.
//
// Colour words are 0xAARRGGBB. The picker edits red, green and blue and passes the alpha byte through.
// The field's cells are (row, column) = (vertical value, horizontal value), row 0 at the bottom; in the
// view, cell (i, j) sits at x = 2 + j, y = 257 - i, inside a 2-pixel frame.

#include "core/Image.h"

namespace ColourAxes {

using Velvor::Pixel;

// Channels by the bit position of their byte.
constexpr int redShift = 16;
constexpr int greenShift = 8;
constexpr int blueShift = 0;

struct AxisChannels {
    int slider;     // bottom to top 0..255
    int horizontal; // the field's columns, left to right 0..255
    int vertical;   // the field's rows, bottom to top 0..255
};

// Axis 0 red, 1 green, 2 blue: the slider's channel; the field shows the other two. Any other axis
// counts as red.
AxisChannels channelsOf(int axis);

constexpr int channel(Pixel colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFFu);
}
constexpr Pixel withChannel(Pixel colour, int shift, int value) {
    return (colour & ~(Pixel{0xFFu} << shift)) | (static_cast<Pixel>(value & 0xFF) << shift);
}

// Channel value under a view position: the field's column from x, the field's row or the slider's
// value from y, each held to 0..255.
int horizontalAt(int x);
int verticalAt(int y);

// The word the field shows at a cell (top byte 0): the cell's colour, or the marker ring around the
// colour's own cell, black at squared distances 16..24 and white at 25..36.
Pixel fieldCell(Pixel colour, int axis, int row, int column);
// The word of the slider's row (top byte 0): the colour with the slider's channel set to the row.
Pixel sliderCell(Pixel colour, int axis, int row);

} // namespace ColourAxes
