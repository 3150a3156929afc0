#include "gui/windows/Window.h"

Window::Window(QWidget* parent) : QWidget(parent) {
    // The subclasses paint every pixel themselves.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Window::redraw() {
    repaint();
}

Point Window::getClientSize() const {
    return Point{width(), height()};
}
