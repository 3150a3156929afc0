#pragma once

// Draws the parts of the node canvas: the grid and logo, one node box with its ports and labels,
// and one cable. Holds the images and fonts, loaded once per canvas. Every argument is in screen
// coordinates.

#include "base/Point.h"
#include "gui/canvas/CableCurve.h"
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
    // Optional annotations of a node box: a thumbnail of its image inside the box (below its ports),
    // and its record's bytes in the packed form at the left under the box.
    void paintThumbnail(QPainter& painter, const QImage& thumbnail, Point position, int inputCount) const;
    void paintPackedBytes(QPainter& painter, std::size_t bytes, Point position) const;
    // The box area free for a thumbnail: the body below the ports (all of it without inputs).
    static QRect thumbnailArea(Point position, int inputCount);
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
