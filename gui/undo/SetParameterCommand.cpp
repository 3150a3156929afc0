#include "gui/undo/SetParameterCommand.h"

#include <utility>

SetParameterCommand::SetParameterCommand(Material& material, NodeId node, std::size_t parameter,
                                         ParameterValue value, EditGesture gesture)
    : material_(material), node_(node), parameter_(parameter), after_(std::move(value)), gesture_(gesture) {
    const VisualNode* target = material.findNode(node);
    const NodeTypeInfo* type = target != nullptr ? target->getTypeInfo() : nullptr;
    if (type != nullptr && parameter < type->parameters.size()) {
        setText(QStringLiteral("Change %1")
                    .arg(QString::fromUtf8(type->parameters[parameter].label.data(),
                                           type->parameters[parameter].label.size())));
    }
}

void SetParameterCommand::redo() {
    ParameterValue previous = material_.setParameter(node_, parameter_, after_);
    if (!applied_) {
        // Only the first run learns what the value was; later runs replay from a known state.
        before_ = std::move(previous);
        applied_ = true;
        setObsolete(before_ == after_);
    }
}

void SetParameterCommand::undo() {
    material_.setParameter(node_, parameter_, before_);
}

bool SetParameterCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const SetParameterCommand*>(other);
    if (&next->material_ != &material_ || next->node_ != node_ || next->parameter_ != parameter_ ||
        next->gesture_ != gesture_) {
        return false;
    }
    after_ = next->after_;
    setObsolete(before_ == after_);
    return true;
}
