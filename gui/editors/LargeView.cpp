#include "gui/editors/ColourAxes.h"
#include "gui/editors/ColourViews.h"
#include "gui/editors/SunkenFrame.h"

#include <QMouseEvent>
#include <QPainter>

using Velvor::Pixel;

ColourWindow::LargeView::LargeView(QWidget* parent, Point position, Point size)
    : Window(parent), buffer_(256, 256, QImage::Format_RGB32) {
    setGeometry(position.x, position.y, size.x, size.y);
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

void ColourWindow::LargeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pick(event->position().toPoint());
    }
}

void ColourWindow::LargeView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        pick(event->position().toPoint());
    }
}

void ColourWindow::LargeView::pick(QPoint position) {
    const ColourAxes::AxisChannels channels = ColourAxes::channelsOf(axis_);
    colour_ = ColourAxes::withChannel(colour_, channels.horizontal, ColourAxes::horizontalAt(position.x()));
    colour_ = ColourAxes::withChannel(colour_, channels.vertical, ColourAxes::verticalAt(position.y()));
    redraw();
    Pixel picked = colour_;
    colourEvents_.fire(&picked);
}
