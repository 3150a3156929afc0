#pragma once

// Puts other content in place of the whole material (Clear, Import) as one undoable step. The content
// that goes out is kept, nodes and ids intact, so undo swaps it back and every later command can still
// name its nodes.

#include "gui/undo/MaterialCommand.h"

#include <QString>

class ReplaceContentCommand : public MaterialCommand {
public:
    ReplaceContentCommand(Material& material, std::unique_ptr<Material> content, const QString& text);

private:
    void apply() override;
    void revert() override;

    std::unique_ptr<Material> other_;
};
