#include "gui/editors/ColourViews.h"
#include "gui/editors/SunkenFrame.h"

#include <QMouseEvent>
#include <QPainter>

using Velvor::Pixel;

ColourWindow::SelectedView::SelectedView(QWidget* parent, Point position, Point size, Pixel starting)
    : Window(parent), starting_(starting), current_(starting) {
    setGeometry(position.x, position.y, size.x, size.y);
    setCursor(Qt::PointingHandCursor);
}

void ColourWindow::SelectedView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Point size = getClientSize();
    const int w = size.x;
    const int h = size.y;
    paintSunkenFrame(painter, palette(), 0, 0, w, h);
    // The inner rectangle (2, 2) .. (w - 1, h - 1), right and bottom edges excluded.
    const int split = 2 + (h - 3) / 2;
    painter.fillRect(QRect(2, 2, w - 3, split - 2), QColor::fromRgb(current_));
    painter.fillRect(QRect(2, split, w - 3, h - 1 - split), QColor::fromRgb(starting_));
}

void ColourWindow::SelectedView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pick(event->position().toPoint());
    }
}

void ColourWindow::SelectedView::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        pick(event->position().toPoint());
    }
}

void ColourWindow::SelectedView::pick(QPoint position) {
    if (position.y() <= height() / 2) {
        return;
    }
    current_ = starting_;
    redraw();
    Pixel picked = current_;
    colourEvents_.fire(picked);
}
