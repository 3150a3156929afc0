// The canvas's mouse and key gestures: selecting, panning, moving nodes, drawing and cutting cables,
// the node menu and the keys.

#include "gui/canvas/CanvasGeometry.h"
#include "gui/canvas/CanvasZoom.h"
#include "gui/canvas/NodesView.h"
#include "gui/common/ShownName.h"
#include "gui/dialogs/ExceptionBox.h"
#include "gui/undo/CableCommands.h"
#include "gui/undo/NodeCommands.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

namespace {

Point pointOf(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return {p.x(), p.y()};
}

} // namespace

void NodesView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const Point p = screenPointOf(event);
    guarded(this, [&] {
        if (event->button() == Qt::LeftButton) {
            leftPress(p);
        } else if (event->button() == Qt::RightButton) {
            rightPress(p);
        }
    });
    updateCursor();
}

void NodesView::leftPress(Point p) {
    if (mouseMode_ != MouseMode::None) {
        return;
    }
    mouseDown_ = p;
    if (cable_) {
        return;
    }
    const std::vector<CableCurve> curves = cableCurves();
    if (const std::optional<std::size_t> cable = cableAt(curves, p)) {
        const Cable& hit = material_.getCable(*cable);
        select({SelectionKind::Cable, hit.getTo().getId(), hit.getToPort()});
    } else if (const VisualNode* node = nodeUnder(p)) {
        selectNode(*node);
    } else {
        selectNone();
    }
    redraw();
    if (const VisualNode* node = nodeUnder(p)) {
        dragStart_ = node->getPosition();
        dragged_ = node->getId();
        ++dragCount_;
        mouseMode_ = MouseMode::Moving;
    } else {
        panStart_ = panning_;
        mouseMode_ = MouseMode::Panning;
    }
}

void NodesView::rightPress(Point p) {
    VisualNode* node = nodeUnder(p);
    const std::optional<int> port = node != nullptr ? portUnder(*node, p) : std::nullopt;
    if (!cable_) {
        if (port) {
            const Point spot = portRect(*port, node->getInputCount()).centre();
            cable_ = DrawnCable{node->getId(), *port, spot, p, CableTarget::None};
        } else if (node != nullptr) {
            selectNode(*node);
            redraw();
            openNodeMenu(p);
        }
        return;
    }
    if (!port) {
        cable_.reset();
        redraw();
        return;
    }
    VisualNode* source = material_.findNode(cable_->source);
    if (source == nullptr || !material_.canConnect(*node, *port, *source, cable_->sourcePort)) {
        return; // a refusing port: the cable stays
    }
    pushEdit(undoStack_, std::make_unique<ConnectCommand>(material_, node->getId(), *port, source->getId(),
                                                          cable_->sourcePort));
    changeEvents_.fire();
    cable_.reset();
    redraw();
}

void NodesView::openNodeMenu(Point p) {
    const VisualNode* node = selectedNode();
    if (node == nullptr) {
        return;
    }
    QMenu menu(this);
    // Listeners may raise too; nothing may leave a menu command.
    const auto command = [this](void (NodesView::*action)()) {
        return [this, action] { guarded(this, [this, action] { (this->*action)(); }); };
    };
    // The name is shown, not offered: '&' is doubled so it is not taken for a mnemonic, and a long name
    // is cut short rather than stretching the menu across the screen.
    const QString name = menu.fontMetrics().elidedText(shownName(node->getName()), Qt::ElideRight, 320);
    menu.addAction(QString(name).replace('&', QStringLiteral("&&")))->setEnabled(false);
    menu.addSeparator();
    menu.addAction(QStringLiteral("&Show result window"), this, command(&NodesView::probeSelectedNode));
    menu.addAction(QStringLiteral("&Rename..."), this, command(&NodesView::renameSelectedNode));
    menu.addAction(QStringLiteral("&Delete"), this, command(&NodesView::deleteSelection));
    menu.addSeparator();
    menu.addAction(QStringLiteral("Double the size"), this, command(&NodesView::doubleSelectedSize));
    menu.addAction(QStringLiteral("Half the size"), this, command(&NodesView::halveSelectedSize));
    menu.addAction(QStringLiteral("Custom size..."))->setEnabled(false);
    const Point pixel = pixelOf(p, getZoom());
    menu.exec(mapToGlobal(QPoint(pixel.x, pixel.y)));
}

void NodesView::mouseMoveEvent(QMouseEvent* event) {
    guarded(this, [&] { moveTo(screenPointOf(event)); });
    updateCursor();
}

void NodesView::moveTo(Point p) {
    const Point delta = saturatingSubtract(p, mouseDown_);
    if (mouseMode_ == MouseMode::Panning) {
        panning_ = saturatingAdd(panStart_, delta);
        redraw();
    } else if (mouseMode_ == MouseMode::Moving) {
        const VisualNode* node = material_.findNode(dragged_);
        const Point position = saturatingAdd(dragStart_, delta);
        if (node != nullptr && node->getPosition() != position) {
            // The material's notification repaints.
            pushEdit(undoStack_,
                     std::make_unique<MoveNodeCommand>(material_, dragged_, position, dragCount_));
        }
    }
    if (cable_) {
        cable_->end = p;
        cable_->target = targetAt(p);
        redraw();
    }
}

void NodesView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        mouseMode_ = MouseMode::None;
    }
    updateCursor();
}

void NodesView::keyPressEvent(QKeyEvent* event) {
    const bool commandModifier =
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0;
    if (event->key() == Qt::Key_Delete && !commandModifier) {
        guarded(this, [this] { deleteSelection(); });
    } else if (event->key() == Qt::Key_F && !commandModifier) {
        reorient();
    } else if (event->key() == Qt::Key_Escape && cancelGesture()) {
        event->accept();
    } else {
        Window::keyPressEvent(event);
    }
}

// The wheel zooms around the mouse, a step for each notch (high-resolution wheels add up).
void NodesView::wheelEvent(QWheelEvent* event) {
    wheelRemainder_ += event->angleDelta().y();
    const int steps = wheelRemainder_ / 120;
    wheelRemainder_ -= steps * 120;
    if (steps != 0) {
        const QPoint at = event->position().toPoint();
        zoomAt({at.x(), at.y()}, steps);
    }
    event->accept();
}

Point NodesView::screenPointOf(const QMouseEvent* event) const {
    return unscaledPoint(pointOf(event), getZoom());
}

void NodesView::updateCursor() {
    switch (mouseMode_) {
    case MouseMode::Panning:
        setCursor(Qt::PointingHandCursor);
        break;
    case MouseMode::Moving:
        setCursor(Qt::SizeAllCursor);
        break;
    case MouseMode::None:
        setCursor(cable_ ? Qt::CrossCursor : Qt::ArrowCursor);
        break;
    }
}
