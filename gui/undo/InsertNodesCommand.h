#pragma once

// Puts nodes made elsewhere (pasted, duplicated) into the material as one step: they join the end of
// the node list with the cables among them, then the cables that enter them from nodes already in
// the material. Undo takes them out again; the record keeps what rebuilds them, not their pictures.

#include "gui/undo/MaterialCommand.h"

#include <QString>
#include <vector>

class InsertNodesCommand : public MaterialCommand {
public:
    // A cable from a node of the material to input `toPort` of the `toNode`-th inserted node.
    struct EnteringCable {
        NodeId from;
        std::size_t toNode;
        int toPort;
    };

    InsertNodesCommand(Material& material, std::unique_ptr<Material> nodes,
                       std::vector<EnteringCable> entering, const QString& text);
    // The inserted nodes, in node order; known once applied.
    const std::vector<NodeId>& insertedNodes() const { return ids_; }

private:
    void apply() override;
    void revert() override;
    void insertFirstTime();

    std::unique_ptr<Material> nodes_; // until first applied
    std::vector<EnteringCable> entering_;
    std::vector<NodeId> ids_;
    std::vector<RemovedNode> removed_; // while undone, the last inserted first
};
