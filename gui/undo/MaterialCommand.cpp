#include "gui/undo/MaterialCommand.h"

void MaterialCommand::redo() {
    // QUndoStack::push calls redo; the change is already made by then.
    if (applied_) {
        applied_ = false;
        return;
    }
    apply();
}

void pushEdit(QUndoStack& stack, std::unique_ptr<MaterialCommand> command) {
    command->apply();
    command->applied_ = true;
    stack.push(command.release());
}
