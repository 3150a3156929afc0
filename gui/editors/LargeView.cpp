#include "gui/editors/ColourAxes.h"
#include "gui/editors/ColourViews.h"
#include "gui/editors/SunkenFrame.h"

#include <QMouseEvent>
#include <QPainter>

using Velvor::Pixel;

ColourWindow::LargeView::LargeView(QWidget* parent, Point position, Point size)
    : AxisView(parent, position, size, QSize(256, 256)) {
    setCursor(Qt::PointingHandCursor);
}

void ColourWindow::LargeView::paintEvent(QPaintEvent*) {
    // Row 0 of the field is the bottom line of the picture.
    for (int i = 0; i < 256; ++i) {
        auto* line = reinterpret_cast<QRgb*>(buffer_.scanLine(255 - i));
        for (int j = 0; j < 256; ++j) {
            line[j] = 0xFF000000u | ColourAxes::fieldCell(colour_, axis_, i, j);
        }
    }
    QPainter painter(this);
    const Point size = getClientSize();
    painter.fillRect(rect(), palette().color(QPalette::Window));
    paintSunkenFrame(painter, palette(), 0, 0, size.x, size.y);
    painter.drawImage(2, 2, buffer_);
}

Pixel ColourWindow::LargeView::colourAt(QPoint position) const {
    const ColourAxes::AxisChannels channels = ColourAxes::channelsOf(axis_);
    const Pixel across =
        ColourAxes::withChannel(colour_, channels.horizontal, ColourAxes::horizontalAt(position.x()));
    return ColourAxes::withChannel(across, channels.vertical, ColourAxes::verticalAt(position.y()));
}
