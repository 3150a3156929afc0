#include "gui/undo/ReplaceContentCommand.h"

ReplaceContentCommand::ReplaceContentCommand(Material& material, std::unique_ptr<Material> content,
                                             const QString& text)
    : MaterialCommand(material), other_(std::move(content)) {
    setText(text);
}

void ReplaceContentCommand::apply() {
    material().swapContent(*other_);
}

void ReplaceContentCommand::revert() {
    material().swapContent(*other_);
}
