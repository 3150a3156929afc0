#pragma once

// Base of the child widgets the program paints itself (colour views, colour swatch): a widget with
// the two conveniences every one of them uses.

#include "base/Point.h"

#include <QWidget>

class Window : public QWidget {
    Q_OBJECT

public:
    explicit Window(QWidget* parent = nullptr);

    // Repaints the whole widget at once, not at the next turn of the event loop.
    void redraw();
    // Width and height of the area the widget paints.
    Point getClientSize() const;
};
