#pragma once

// Paints one node's image as it was last generated: tiled from the top-left corner over the whole
// view and cut at its right and bottom edges, or once in the corner with the rest in the window
// colour. The image's row 0 is its bottom row; alpha is ignored; nothing is scaled.

#include "gui/windows/Window.h"
#include "model/VisualNode.h"

#include <QImage>

class Material;

class ResultView : public Window {
    Q_OBJECT

public:
    ResultView(QWidget* parent, const Material& material, NodeId node);

    void setTiled(bool tiled);
    bool isTiled() const { return tiled_; }
    // Copies the node's image as it is now and repaints; the view shows that copy until the next
    // refresh (rendering may run meanwhile). Nothing when the node is gone.
    void refresh();
    // The pixels shown, alpha included: what "Export bitmap..." writes, never an image being rendered.
    const Velvor::Image& getShownPixels() const { return pixels_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Material& material_;
    NodeId node_;
    bool tiled_ = true;
    QImage shown_;
    Velvor::Image pixels_{0, 0};
};
