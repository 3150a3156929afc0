// Adding nodes on the canvas beyond the type list: the add-node search (also at the end of a cable
// dragged onto empty canvas), and a free node dropped into a cable.

#include "gui/canvas/CanvasGeometry.h"
#include "gui/canvas/CanvasZoom.h"
#include "gui/canvas/NodeSearch.h"
#include "gui/canvas/NodesView.h"
#include "gui/dialogs/ExceptionBox.h"
#include "gui/undo/CableCommands.h"
#include "gui/undo/NodeCommands.h"

#include <QApplication>
#include <QKeyEvent>

namespace {

// A release closer than this to the press is a click, which leaves the cable following the mouse.
int dragDistance() {
    return std::max(4, QApplication::startDragDistance());
}

} // namespace

bool NodesView::event(QEvent* event) {
    // Tab would move the focus on; over the canvas it opens the search, as Space does.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Space) &&
            key->modifiers() == Qt::NoModifier && mouseMode_ == MouseMode::None) {
            const Point at = mouse_.value_or(Point{width() / 2, height() / 2});
            openNodeSearch(at);
            return true;
        }
    }
    return Window::event(event);
}

void NodesView::openNodeSearch(Point pixel) {
    if (search_ == nullptr) {
        search_ = new NodeSearch(this);
        connect(search_, &NodeSearch::chosen, this,
                [this](std::size_t row) { guarded(this, [this, row] { addSearchedNode(row); }); });
    }
    searchAt_ = toCanvas(unscaledPoint(pixel, getZoom()));
    searchCable_ = std::exchange(cable_, std::nullopt);
    redraw();
    search_->popUp(mapToGlobal(QPoint(pixel.x, pixel.y)));
}

void NodesView::addSearchedNode(std::size_t row) {
    const NodeTypeInfo& type = nodeTypes.at(row);
    const std::optional<DrawnCable> from = std::exchange(searchCable_, std::nullopt);
    const VisualNode* source = from ? material_.findNode(from->source) : nullptr;
    // Joined to a cable, the node takes the size of the node at its other end: cables join equal sizes.
    const Point size = source != nullptr ? source->getSize() : Material::defaultCollectorSize;
    const Point centred = saturatingSubtract(searchAt_, nodeBox.centre());
    auto add = std::make_unique<AddNodeCommand>(material_, "Unnamed", type, size, centred);
    const AddNodeCommand& added = *add;
    undoStack_.beginMacro(add->text());
    try {
        pushEdit(undoStack_, std::move(add));
        VisualNode& node = *material_.findNode(*added.getNodeId());
        if (source != nullptr) {
            // From an output into the new node's first input, or from its output into the input.
            const bool fromOutput = from->sourcePort == -1;
            if (fromOutput ? node.getInputCount() > 0 : node.hasOutput()) {
                auto connect =
                    fromOutput
                        ? std::make_unique<ConnectCommand>(material_, source->getId(), -1, node.getId(), 0)
                        : std::make_unique<ConnectCommand>(material_, node.getId(), -1, source->getId(),
                                                           from->sourcePort);
                if (material_.canConnect(node, fromOutput ? 0 : -1, *source, from->sourcePort)) {
                    pushEdit(undoStack_, std::move(connect));
                }
            }
        }
    } catch (...) {
        undoStack_.endMacro();
        throw;
    }
    undoStack_.endMacro();
    selectNode(*material_.findNode(*added.getNodeId()));
    redraw();
    changeEvents_.fire();
}

void NodesView::rightRelease(Point p) {
    const std::optional<Point> start = std::exchange(cableDragStart_, std::nullopt);
    if (!cable_ || !start || std::abs(p.x - start->x) + std::abs(p.y - start->y) < dragDistance()) {
        return;
    }
    if (nodeUnder(p) != nullptr) {
        rightPress(p); // as the press that ends a drawn cable: connects on an accepting port
        return;
    }
    openNodeSearch(pixelOf(p, getZoom()));
}

std::optional<std::size_t> NodesView::cableToInsertInto() const {
    if (mouseMode_ != MouseMode::Moving || dragStarts_.size() != 1) {
        return std::nullopt;
    }
    const VisualNode* node = material_.findNode(dragged_);
    if (node == nullptr || !node->hasOutput() || node->getInputCount() == 0) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < material_.getCableCount(); ++i) {
        if (material_.getCable(i).involves(*node)) {
            return std::nullopt;
        }
    }
    const std::vector<CableCurve> curves = cableCurves();
    const std::optional<std::size_t> cable = cableThroughBox(curves, toScreen(node->getPosition()));
    if (!cable) {
        return std::nullopt;
    }
    const Cable& hit = material_.getCable(*cable);
    const bool fits = node->acceptsInput(0, hit.getFrom().getSize()) &&
                      hit.getTo().acceptsInput(hit.getToPort(), node->getSize());
    return fits ? cable : std::nullopt;
}

void NodesView::insertDraggedNode(std::size_t index) {
    const Cable& cable = material_.getCable(index);
    const NodeId from = cable.getFrom().getId();
    const NodeId to = cable.getTo().getId();
    const int port = cable.getToPort();
    const VisualNode& node = *material_.findNode(dragged_);
    const Point position = node.getPosition();
    // The drag's move goes into the same step: taken back, then made again inside it.
    if (undoStack_.index() == dragStartIndex_ + 1 && undoStack_.count() == undoStack_.index()) {
        undoStack_.undo();
    }
    undoStack_.beginMacro("Insert node");
    try {
        pushEdit(undoStack_, std::make_unique<MoveNodeCommand>(material_, dragged_, position, dragCount_));
        pushEdit(undoStack_, std::make_unique<RemoveCableCommand>(material_, to, port));
        pushEdit(undoStack_, std::make_unique<ConnectCommand>(material_, from, -1, dragged_, 0));
        pushEdit(undoStack_, std::make_unique<ConnectCommand>(material_, dragged_, -1, to, port));
    } catch (...) {
        undoStack_.endMacro();
        throw;
    }
    undoStack_.endMacro();
    changeEvents_.fire();
}
