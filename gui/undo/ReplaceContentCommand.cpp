#include "gui/undo/ReplaceContentCommand.h"

ReplaceContentCommand::ReplaceContentCommand(Material& material, std::unique_ptr<Material> content,
                                             const QString& text)
    : MaterialCommand(material), other_(std::move(content)) {
    setText(text);
}

// The content out of the material keeps what rebuilds it, not its pictures.
void ReplaceContentCommand::apply() {
    other_->reclaimImages();
    material().swapContent(*other_);
    other_->releaseImages();
}

void ReplaceContentCommand::revert() {
    apply();
}
