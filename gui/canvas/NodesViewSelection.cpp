// The canvas's selection (one node, one cable, or several nodes) and the node menu's commands on it.

#include "gui/canvas/NodesView.h"
#include "gui/canvas/RenameDialog.h"
#include "gui/common/ShownName.h"
#include "gui/undo/CableCommands.h"
#include "gui/undo/NodeCommands.h"

void NodesView::selectNode(const VisualNode& node) {
    select({SelectionKind::Node, node.getId(), 0});
}

void NodesView::selectNone() {
    select({});
}

void NodesView::select(Selection selection) {
    selection_ = selection;
    selectedNodes_.clear();
    if (selection.kind == SelectionKind::Node) {
        selectedNodes_.insert(selection.node);
    }
    selectionEvents_.fire(selectedNode());
}

void NodesView::selectNodes(std::set<NodeId> nodes) {
    if (nodes.size() == 1) {
        select({SelectionKind::Node, *nodes.begin(), 0});
        return;
    }
    selection_ = {};
    selectedNodes_ = std::move(nodes);
    selectionEvents_.fire(nullptr);
}

void NodesView::toggleNode(const VisualNode& node) {
    std::set<NodeId> nodes = selectedNodes_;
    if (!nodes.erase(node.getId())) {
        nodes.insert(node.getId());
    }
    selectNodes(std::move(nodes));
}

std::vector<const VisualNode*> NodesView::selectedNodes() const {
    std::vector<const VisualNode*> nodes;
    for (std::size_t i = 0; i < material_.getNodeCount(); ++i) {
        if (selectedNodes_.contains(material_.getNode(i).getId())) {
            nodes.push_back(&material_.getNode(i));
        }
    }
    return nodes;
}

VisualNode* NodesView::selectedNode() const {
    return selection_.kind == SelectionKind::Node ? material_.findNode(selection_.node) : nullptr;
}

const Cable* NodesView::selectedCable() const {
    return selection_.kind == SelectionKind::Cable ? material_.findCable(selection_.node, selection_.port)
                                                   : nullptr;
}

void NodesView::probeSelectedNode() {
    probeEvents_.fire(selectedNode());
}

void NodesView::renameSelectedNode() {
    const VisualNode* node = selectedNode();
    if (node == nullptr) {
        return;
    }
    const NodeId id = node->getId();
    const std::optional<std::string> name = RenameDialog::ask(this, node->getName());
    node = material_.findNode(id);
    if (name && node != nullptr && *name != node->getName()) {
        pushEdit(undoStack_, std::make_unique<RenameNodeCommand>(material_, id, *name));
        redraw();
    }
}

void NodesView::deleteSelection() {
    if (selectedNodes_.size() > 1) {
        deleteSelectedNodes();
        return;
    }
    std::unique_ptr<MaterialCommand> command;
    if (const VisualNode* node = selectedNode(); node != nullptr && node->getTypeId() != 0) {
        command = std::make_unique<RemoveNodeCommand>(material_, node->getId());
    } else if (selectedCable() != nullptr) {
        command = std::make_unique<RemoveCableCommand>(material_, selection_.node, selection_.port);
    }
    if (!command) {
        return;
    }
    // Unselected quietly first: the deletion then makes no selection vanish under the listeners' feet,
    // and they hear of the new selection once.
    const Selection previous = selection_;
    selection_ = {};
    try {
        pushEdit(undoStack_, std::move(command));
    } catch (...) {
        selection_ = previous;
        throw;
    }
    selectNone();
    redraw();
    changeEvents_.fire();
}

void NodesView::deleteSelectedNodes() {
    std::vector<NodeId> doomed;
    for (const VisualNode* node : selectedNodes()) {
        if (node->getTypeId() != 0) {
            doomed.push_back(node->getId());
        }
    }
    if (doomed.empty()) {
        return;
    }
    selection_ = {};
    selectedNodes_.clear();
    undoStack_.beginMacro(doomed.size() == 1 ? "Delete node" : "Delete nodes");
    try {
        for (const NodeId id : doomed) {
            pushEdit(undoStack_, std::make_unique<RemoveNodeCommand>(material_, id));
        }
    } catch (...) {
        undoStack_.endMacro();
        selectNone();
        throw;
    }
    undoStack_.endMacro();
    selectNone();
    redraw();
    changeEvents_.fire();
}

void NodesView::doubleSelectedSize() {
    if (const VisualNode* node = selectedNode()) {
        // 64-bit and held to the 32-bit range; the listener's resizing refuses what cannot be allocated.
        const auto doubled = [](int v) {
            return static_cast<int>(
                std::min<std::int64_t>(std::int64_t{v} * 2, std::numeric_limits<int>::max()));
        };
        fireResize({doubled(node->getSize().x), doubled(node->getSize().y)});
    }
}

void NodesView::halveSelectedSize() {
    if (const VisualNode* node = selectedNode()) {
        fireResize({std::max(1, node->getSize().x / 2), std::max(1, node->getSize().y / 2)});
    }
}

void NodesView::fireResize(Point size) {
    resizeEvents_.fire(size);
}
