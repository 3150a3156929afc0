#include "gui/editors/ColourViews.h"

#include <QMouseEvent>

ColourWindow::AxisView::AxisView(QWidget* parent, Point position, Point size, QSize bufferSize)
    : Window(parent), buffer_(bufferSize, QImage::Format_RGB32) {
    setGeometry(position.x, position.y, size.x, size.y);
}

void ColourWindow::AxisView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pick(event->position().toPoint());
    }
}

void ColourWindow::AxisView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        pick(event->position().toPoint());
    }
}

void ColourWindow::AxisView::pick(QPoint position) {
    colour_ = colourAt(position);
    redraw();
    Velvor::Pixel picked = colour_;
    colourEvents_.fire(picked);
}
