#include "gui/undo/InsertNodesCommand.h"

#include "base/Exception.h"

#include <tuple>

InsertNodesCommand::InsertNodesCommand(Material& material, std::unique_ptr<Material> nodes,
                                       std::vector<EnteringCable> entering, const QString& text)
    : MaterialCommand(material), nodes_(std::move(nodes)), entering_(std::move(entering)) {
    setText(text);
}

void InsertNodesCommand::apply() {
    if (nodes_) {
        insertFirstTime();
        return;
    }
    // Back in the reverse order of their removal, which restores the node and cable lists exactly.
    while (!removed_.empty()) {
        material().restoreNode(std::move(removed_.back()));
        removed_.pop_back();
    }
}

void InsertNodesCommand::insertFirstTime() {
    std::vector<std::tuple<NodeId, NodeId, int>> cables;
    for (std::size_t i = 0; i < nodes_->getCableCount(); ++i) {
        const Cable& cable = nodes_->getCable(i);
        cables.emplace_back(cable.getFrom().getId(), cable.getTo().getId(), cable.getToPort());
    }
    try {
        while (nodes_->getNodeCount() > 0) {
            RemovedNode node = nodes_->removeNode(&nodes_->getNode(0));
            node.cables.clear();
            node.index = material().getNodeCount();
            ids_.push_back(node.node->getId());
            material().restoreNode(std::move(node));
        }
        for (const auto& [from, to, port] : cables) {
            material().connect(*material().findNode(from), -1, *material().findNode(to), port);
        }
        for (const EnteringCable& cable : entering_) {
            VisualNode* from = material().findNode(cable.from);
            if (from != nullptr && cable.toNode < ids_.size()) {
                material().connect(*from, -1, *material().findNode(ids_[cable.toNode]), cable.toPort);
            }
        }
    } catch (const Exception&) {
        // A node whose image could not be had: what went in comes out, and the edit fails whole.
        for (auto id = ids_.rbegin(); id != ids_.rend(); ++id) {
            if (const VisualNode* node = material().findNode(*id)) {
                material().removeNode(node);
            }
        }
        ids_.clear();
        throw;
    }
    nodes_.reset();
}

void InsertNodesCommand::revert() {
    for (auto id = ids_.rbegin(); id != ids_.rend(); ++id) {
        const VisualNode* node = material().findNode(*id);
        if (node == nullptr) {
            throw Exception("Could not delete node, node not found in material!");
        }
        removed_.push_back(material().removeNode(node));
    }
}
