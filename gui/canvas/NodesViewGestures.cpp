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
    mouse_ = pointOf(event);
    guarded(this, [&] {
        if (event->button() == Qt::LeftButton) {
            leftPress(p, event->modifiers());
        } else if (event->button() == Qt::RightButton) {
            rightPress(p);
        }
    });
    updateCursor();
}

void NodesView::leftPress(Point p, Qt::KeyboardModifiers modifiers) {
    if (mouseMode_ != MouseMode::None) {
        return;
    }
    mouseDown_ = p;
    if (cable_) {
        return;
    }
    const VisualNode* under = nodeUnder(p);
    if ((modifiers & Qt::ControlModifier) != 0) {
        // Ctrl+click adds a node to the selection or takes it out; it neither drags nor pans.
        if (under != nullptr) {
            toggleNode(*under);
            redraw();
        }
        return;
    }
    const std::vector<CableCurve> curves = cableCurves();
    const std::optional<std::size_t> cable = cableAt(curves, p);
    if ((modifiers & Qt::ShiftModifier) != 0 && under == nullptr && !cable) {
        bandEnd_ = p;
        mouseMode_ = MouseMode::Banding;
        return;
    }
    pressedInGroup_ =
        under != nullptr && !cable && selectedNodes_.size() > 1 && selectedNodes_.contains(under->getId());
    if (cable) {
        const Cable& hit = material_.getCable(*cable);
        select({SelectionKind::Cable, hit.getTo().getId(), hit.getToPort()});
    } else if (under != nullptr && !pressedInGroup_) {
        selectNode(*under);
    } else if (under == nullptr) {
        selectNone();
    }
    redraw();
    if (const VisualNode* node = nodeUnder(p)) {
        startMoving(*node);
    } else {
        panStart_ = panning_;
        mouseMode_ = MouseMode::Panning;
    }
}

void NodesView::startMoving(const VisualNode& node) {
    dragStarts_.clear();
    if (selectedNodes_.size() > 1 && selectedNodes_.contains(node.getId())) {
        for (const VisualNode* selected : selectedNodes()) {
            dragStarts_.emplace_back(selected->getId(), selected->getPosition());
        }
    } else {
        dragStarts_.emplace_back(node.getId(), node.getPosition());
    }
    dragged_ = node.getId();
    ++dragCount_;
    dragStartIndex_ = undoStack_.index();
    mouseMode_ = MouseMode::Moving;
}

std::set<NodeId> NodesView::nodesInBand() const {
    const Point a = toCanvas(mouseDown_);
    const Point b = toCanvas(bandEnd_);
    const std::int64_t left = std::min(a.x, b.x);
    const std::int64_t right = std::max(a.x, b.x);
    const std::int64_t top = std::min(a.y, b.y);
    const std::int64_t bottom = std::max(a.y, b.y);
    std::set<NodeId> nodes;
    for (std::size_t i = 0; i < material_.getNodeCount(); ++i) {
        const VisualNode& node = material_.getNode(i);
        const std::int64_t x = node.getPosition().x;
        const std::int64_t y = node.getPosition().y;
        if (x <= right && x + nodeBox.right > left && y <= bottom && y + nodeBox.bottom > top) {
            nodes.insert(node.getId());
        }
    }
    return nodes;
}

void NodesView::rightPress(Point p) {
    VisualNode* node = nodeUnder(p);
    const std::optional<int> port = node != nullptr ? portUnder(*node, p) : std::nullopt;
    cableDragStart_.reset();
    if (!cable_) {
        if (port) {
            const Point spot = portRect(*port, node->getInputCount()).centre();
            cable_ = DrawnCable{node->getId(), *port, spot, p, CableTarget::None};
            cableDragStart_ = p;
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
    mouse_ = pointOf(event);
    guarded(this, [&] { moveTo(screenPointOf(event)); });
    updateCursor();
}

void NodesView::moveTo(Point p) {
    const Point delta = saturatingSubtract(p, mouseDown_);
    if (mouseMode_ == MouseMode::Panning) {
        panning_ = saturatingAdd(panStart_, delta);
        redraw();
    } else if (mouseMode_ == MouseMode::Moving) {
        std::vector<std::pair<NodeId, Point>> positions;
        bool moved = false;
        for (const auto& [id, start] : dragStarts_) {
            const VisualNode* node = material_.findNode(id);
            const Point position = saturatingAdd(start, delta);
            if (node == nullptr) {
                return; // taken by something else meanwhile; the drag goes on without effect
            }
            moved = moved || node->getPosition() != position;
            positions.emplace_back(id, position);
        }
        if (moved) {
            pressedInGroup_ = false;
            // The material's notification repaints.
            pushEdit(undoStack_,
                     std::make_unique<MoveNodeCommand>(material_, std::move(positions), dragCount_));
        }
        if (const std::optional<std::size_t> cable = cableToInsertInto(); cable != insertCable_) {
            insertCable_ = cable;
            redraw();
        }
    } else if (mouseMode_ == MouseMode::Banding) {
        bandEnd_ = p;
        redraw();
    }
    if (cable_) {
        cable_->end = p;
        cable_->target = targetAt(p);
        redraw();
    }
}

void NodesView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        guarded(this, [&] { leftRelease(screenPointOf(event)); });
    } else if (event->button() == Qt::RightButton) {
        guarded(this, [&] { rightRelease(screenPointOf(event)); });
    }
    updateCursor();
}

void NodesView::leftRelease(Point p) {
    const MouseMode mode = mouseMode_;
    mouseMode_ = MouseMode::None;
    if (const std::optional<std::size_t> cable = std::exchange(insertCable_, std::nullopt)) {
        if (mode == MouseMode::Moving && *cable < material_.getCableCount()) {
            insertDraggedNode(*cable);
        }
        redraw();
    }
    if (mode == MouseMode::Banding) {
        bandEnd_ = p;
        selectNodes(nodesInBand());
        redraw();
    } else if (mode == MouseMode::Moving && pressedInGroup_) {
        // A click on one of several selected nodes, without a drag, selects that one alone.
        if (const VisualNode* node = material_.findNode(dragged_)) {
            selectNode(*node);
            redraw();
        }
    }
    pressedInGroup_ = false;
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
    case MouseMode::Banding:
        setCursor(Qt::CrossCursor);
        break;
    case MouseMode::None:
        setCursor(cable_ ? Qt::CrossCursor : Qt::ArrowCursor);
        break;
    }
}
