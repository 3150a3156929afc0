#pragma once

// Base of the undoable edits of a material. An edit is applied before it goes on the stack, so a
// failing edit (an Exception from the material, which then has changed nothing) never reaches the
// stack; undo and redo replay the material's own reversible edits. Commands name nodes by NodeId,
// which survives a node's removal and restoring.

#include "model/Material.h"

#include <QUndoCommand>
#include <QUndoStack>
#include <memory>

class MaterialCommand : public QUndoCommand {
public:
    explicit MaterialCommand(Material& material) : material_(material) {}

    void redo() final;
    void undo() final { revert(); }

protected:
    // Makes the change; called on the first push and on every redo.
    virtual void apply() = 0;
    // Takes back exactly what the last apply did.
    virtual void revert() = 0;

    Material& material() const { return material_; }

private:
    friend void pushEdit(QUndoStack& stack, std::unique_ptr<MaterialCommand> command);

    Material& material_;
    bool applied_ = false;
};

// Applies the command and puts it on the stack (where it may merge with the one before). An Exception
// from applying propagates, and nothing is pushed.
void pushEdit(QUndoStack& stack, std::unique_ptr<MaterialCommand> command);
