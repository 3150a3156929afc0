#pragma once

// Draws the parts of the node canvas: the grid and logo, one node box with its ports and labels,
// and one cable. Holds the images and fonts, loaded once per canvas. Every argument is in screen
// coordinates.

#include "base/CableCurve.h"
#include "base/Point.h"
#include "model/VisualNode.h"

#include <QFont>
#include <QImage>
#include <QPainter>

// What lies under the free end of the cable being drawn.
enum class CableTarget {
    None,      // no port
    Accepting, // a port that would take the cable
    Refusing,  // a port that would not
};

class CanvasPainter {
public:
    // Raises Exception "Error loading one of our bitmaps." when an image is missing.
    CanvasPainter();

    // Fills the view with `background`, draws the grid for the panning, and the logo.
    void paintBackground(QPainter& painter, Point viewSize, Point panning, const QColor& background) const;
    // The box whose top-left corner is at `position`, its ports, the type name inside it, the node's
    // name above and its image size below; outlined when selected.
    void paintNode(QPainter& painter, const VisualNode& node, Point position, bool selected) const;
    // The three strokes of a cable; a stored cable is drawn as Accepting.
    void paintCable(QPainter& painter, const CableCurve& curve, bool selected, CableTarget target) const;

private:
    void paintPort(QPainter& painter, Point position, int port, int inputCount) const;

    QImage background_;
    QImage port_; // pure red made transparent
    QImage logo_;
    QFont typeFont_;
    QFont labelFont_;
    QFont nameFont_;
    QFont sizeFont_;
};
