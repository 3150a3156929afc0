#pragma once

// The colour dialog's three views. Each keeps its own copy of the colour, paints itself, and announces
// a colour the user picks with the mouse (the payload is the colour word) without waiting for the
// dialog to hand it back.

#include "base/Events.h"
#include "base/Point.h"
#include "gui/editors/ColourWindow.h"
#include "gui/windows/Window.h"

#include <QImage>

// A view of the colour along the dialog's axis: pressing or dragging the left button picks the
// colour under the mouse (placeAt), which is shown and announced at once.
class ColourWindow::AxisView : public Window {
public:
    AxisView(QWidget* parent, Point position, Point size, QSize bufferSize);

    void setColour(Velvor::Pixel colour) { colour_ = colour; }
    void setAxis(int axis) { axis_ = axis; }
    Velvor::Pixel getColour() const { return colour_; }
    Events<Velvor::Pixel>& getColourEvents() { return colourEvents_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // The colour the view shows at the point, from the current one.
    virtual Velvor::Pixel colourAt(QPoint position) const = 0;

    Velvor::Pixel colour_ = 0;
    int axis_ = 0;
    QImage buffer_;

private:
    void pick(QPoint position);

    Events<Velvor::Pixel> colourEvents_;
};

// Two channels over a 256 x 256 field with a ring around the current colour's cell.
class ColourWindow::LargeView : public AxisView {
public:
    LargeView(QWidget* parent, Point position, Point size);

protected:
    void paintEvent(QPaintEvent* event) override;
    Velvor::Pixel colourAt(QPoint position) const override;
};

// The axis channel as a vertical ramp between two arrows that point at the current value.
class ColourWindow::SmallView : public AxisView {
public:
    SmallView(QWidget* parent, Point position, Point size);

protected:
    void paintEvent(QPaintEvent* event) override;
    Velvor::Pixel colourAt(QPoint position) const override;
};

// The current colour above the starting one; pressing the lower half goes back to the start.
class ColourWindow::SelectedView : public Window {
public:
    SelectedView(QWidget* parent, Point position, Point size, Velvor::Pixel starting);

    void setColour(Velvor::Pixel colour) { current_ = colour; }
    Velvor::Pixel getColour() const { return current_; }
    Events<Velvor::Pixel>& getColourEvents() { return colourEvents_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void pick(QPoint position);

    Velvor::Pixel starting_;
    Velvor::Pixel current_;
    Events<Velvor::Pixel> colourEvents_;
};
