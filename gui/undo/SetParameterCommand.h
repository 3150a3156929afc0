#pragma once

// One change of one parameter of one node as an undo step. Changes of the same parameter made in the
// same gesture merge into the step already on the stack, so undoing it returns to the value before
// the gesture; a gesture that ends where it began leaves no step.

#include "gui/undo/EditGesture.h"
#include "model/Material.h"

#include <QUndoCommand>
#include <cstddef>

class SetParameterCommand : public QUndoCommand {
public:
    // Distinct from the ids of the other commands on the editing run's stack.
    static constexpr int commandId = 0x7e1a0001;

    SetParameterCommand(Material& material, NodeId node, std::size_t parameter, ParameterValue value,
                        EditGesture gesture);

    // Exceptions of Material::setParameter (the node or the parameter does not exist) propagate.
    void redo() override;
    void undo() override;
    int id() const override { return commandId; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    Material& material_;
    NodeId node_;
    std::size_t parameter_;
    ParameterValue before_;
    ParameterValue after_;
    EditGesture gesture_;
    bool applied_ = false;
};
