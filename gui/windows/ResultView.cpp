#include "gui/windows/ResultView.h"

#include "gui/common/ImageConversion.h"
#include "model/Material.h"

#include <QPainter>

ResultView::ResultView(QWidget* parent, const Material& material, NodeId node)
    : Window(parent), material_(material), node_(node) {
    setFocusPolicy(Qt::StrongFocus);
    refresh();
}

void ResultView::refresh() {
    // The node is looked up each time: it may have been deleted (and be waiting in the undo history)
    // since the window opened.
    const VisualNode* node = material_.findNode(node_);
    pixels_ = node != nullptr ? node->getOperator().getImage() : Velvor::Image(0, 0);
    shown_ = displayedImage(pixels_);
    redraw();
}

void ResultView::setTiled(bool tiled) {
    tiled_ = tiled;
    redraw();
}

void ResultView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    paintTiled(painter, shown_, size(), tiled_);
}
