#include "gui/editors/ColourAxes.h"

#include <algorithm>

namespace ColourAxes {

AxisChannels channelsOf(int axis) {
    switch (axis) {
    case 1:
        return {greenShift, blueShift, redShift};
    case 2:
        return {blueShift, redShift, greenShift};
    default:
        return {redShift, blueShift, greenShift};
    }
}

int horizontalAt(int x) {
    return std::clamp(x - 2, 0, 255);
}

int verticalAt(int y) {
    return std::clamp(257 - y, 0, 255);
}

Pixel fieldCell(Pixel colour, int axis, int row, int column) {
    const AxisChannels channels = channelsOf(axis);
    const int dx = column - channel(colour, channels.horizontal);
    const int dy = row - channel(colour, channels.vertical);
    const int distanceSquared = dx * dx + dy * dy;
    if (distanceSquared >= 16 && distanceSquared <= 24) {
        return 0x000000u;
    }
    if (distanceSquared >= 25 && distanceSquared <= 36) {
        return 0xFFFFFFu;
    }
    const Pixel cell = withChannel(withChannel(colour, channels.horizontal, column), channels.vertical, row);
    return cell & 0xFFFFFFu;
}

Pixel sliderCell(Pixel colour, int axis, int row) {
    return withChannel(colour, channelsOf(axis).slider, row) & 0xFFFFFFu;
}

} // namespace ColourAxes
