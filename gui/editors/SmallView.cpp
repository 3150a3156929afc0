#include "gui/editors/ColourAxes.h"
#include "gui/editors/ColourViews.h"
#include "gui/editors/SunkenFrame.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

using Velvor::Pixel;

ColourWindow::SmallView::SmallView(QWidget* parent, Point position, Point size)
    : AxisView(parent, position, size, QSize(20, 256)) {}

void ColourWindow::SmallView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Point size = getClientSize();
    const int w = size.x;
    const int h = size.y;
    // The arrow strips and whatever the ramp's frame leaves free are the dialog's face.
    painter.fillRect(rect(), palette().color(QPalette::Window));
    paintSunkenFrame(painter, palette(), 8, 0, w - 9, h);

    for (int i = 0; i < 256; ++i) {
        auto* line = reinterpret_cast<QRgb*>(buffer_.scanLine(255 - i));
        const QRgb word = 0xFF000000u | ColourAxes::sliderCell(colour_, axis_, i);
        std::fill(line, line + 20, word);
    }
    painter.drawImage(10, 2, buffer_);

    const int d = 257 - ColourAxes::channel(colour_, ColourAxes::channelsOf(axis_).slider);
    const QPolygon pointsLeft({{6, d}, {2, d - 4}, {0, d - 4}, {0, d + 4}, {2, d + 4}});
    const QPolygon pointsRight({{33, d}, {37, d - 4}, {39, d - 4}, {39, d + 4}, {37, d + 4}});
    painter.setPen(palette().color(QPalette::Dark));
    painter.setBrush(Qt::white);
    painter.drawPolygon(pointsLeft);
    painter.drawPolygon(pointsRight);
}

Pixel ColourWindow::SmallView::colourAt(QPoint position) const {
    return ColourAxes::withChannel(colour_, ColourAxes::channelsOf(axis_).slider,
                                   ColourAxes::verticalAt(position.y()));
}
