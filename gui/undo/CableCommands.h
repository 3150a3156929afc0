#pragma once

// Undoable edits of cables: joining two ports and deleting a cable.

#include "gui/undo/MaterialCommand.h"

#include <optional>

// Joins an output to an input; either end may be given first, as the canvas draws cables both ways.
class ConnectCommand : public MaterialCommand {
public:
    ConnectCommand(Material& material, NodeId a, int portA, NodeId b, int portB);

private:
    void apply() override;
    void revert() override;

    NodeId a_;
    int portA_;
    NodeId b_;
    int portB_;
    std::optional<RemovedCable> removed_; // set while undone
};

// Deletes the cable that ends at the input port of the node.
class RemoveCableCommand : public MaterialCommand {
public:
    RemoveCableCommand(Material& material, NodeId to, int port);

private:
    void apply() override;
    void revert() override;

    NodeId to_;
    int port_;
    RemovedCable removed_{};
};
