#pragma once

// Undoable edits of one node: creating, deleting, moving, renaming and resizing it.

#include "gui/undo/MaterialCommand.h"

#include <optional>
#include <string>
#include <vector>

class AddNodeCommand : public MaterialCommand {
public:
    AddNodeCommand(Material& material, std::string name, const NodeTypeInfo& type, Point size,
                   Point position);
    // Unset until the command has been applied once.
    std::optional<NodeId> getNodeId() const { return id_; }

private:
    void apply() override;
    void revert() override;

    std::string name_;
    const NodeTypeInfo& type_;
    Point size_;
    Point position_;
    std::optional<NodeId> id_;
    RemovedNode removed_;
};

// Deletes the node together with its cables.
class RemoveNodeCommand : public MaterialCommand {
public:
    RemoveNodeCommand(Material& material, NodeId node);

private:
    void apply() override;
    void revert() override;

    NodeId node_;
    RemovedNode removed_;
};

// One drag of a node, or of several selected together: every move of the same drag merges into one
// step, and a drag that ends where it began leaves no step at all.
class MoveNodeCommand : public MaterialCommand {
public:
    MoveNodeCommand(Material& material, NodeId node, Point position, int drag);
    MoveNodeCommand(Material& material, std::vector<std::pair<NodeId, Point>> positions, int drag);

    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    void apply() override;
    void revert() override;

    struct Move {
        NodeId node;
        Point to;
        std::optional<Point> from;
    };
    std::vector<Move> moves_;
    int drag_;
};

class RenameNodeCommand : public MaterialCommand {
public:
    RenameNodeCommand(Material& material, NodeId node, std::string name);

private:
    void apply() override;
    void revert() override;

    NodeId node_;
    std::string name_;
    std::string previous_;
};

// Resizes the node and removes every cable attached to it (a resized node starts unconnected, as the
// editor has always done; cables join nodes of one size only).
class ResizeNodeCommand : public MaterialCommand {
public:
    ResizeNodeCommand(Material& material, NodeId node, Point size);

private:
    void apply() override;
    void revert() override;

    NodeId node_;
    Point size_;
    Point previous_;
    std::vector<RemovedCable> removedCables_; // in the order they were removed
};
