#include "gui/editors/SunkenFrame.h"

#include <QPainter>
#include <QPalette>

void paintSunkenFrame(QPainter& painter, const QPalette& palette, int l, int t, int r, int b) {
    const QColor shadow = palette.color(QPalette::Dark);
    const QColor highlight = palette.color(QPalette::Light);
    // Each line stops one pixel short of its end point, which the next line starts from.
    painter.fillRect(QRect(QPoint(l, t + 1), QPoint(l, b)), shadow);
    painter.fillRect(QRect(QPoint(l, t), QPoint(r - 1, t)), shadow);
    painter.fillRect(QRect(QPoint(r, t), QPoint(r, b - 1)), highlight);
    painter.fillRect(QRect(QPoint(l + 1, b), QPoint(r, b)), highlight);
    // The black rectangle.
    painter.fillRect(QRect(QPoint(l + 1, t + 1), QPoint(r - 1, t + 1)), Qt::black);
    painter.fillRect(QRect(QPoint(l + 1, b - 1), QPoint(r - 1, b - 1)), Qt::black);
    painter.fillRect(QRect(QPoint(l + 1, t + 1), QPoint(l + 1, b - 1)), Qt::black);
    painter.fillRect(QRect(QPoint(r - 1, t + 1), QPoint(r - 1, b - 1)), Qt::black);
}
