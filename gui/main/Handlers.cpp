#include "gui/main/Handlers.h"

#include "gui/dialogs/ExceptionBox.h"
#include "gui/main/MainWindow.h"
#include "gui/canvas/NodesView.h"
#include "gui/editors/CreateEditor.h"
#include "gui/undo/NodeCommands.h"

namespace VelvorGUI {

void OnSelectNode::handle(void*) {
    const VisualNode* node = window_.getCanvas().selectedNode();
    const std::optional<NodeId> selected = node != nullptr ? std::optional(node->getId()) : std::nullopt;
    if (selected == last_) {
        return;
    }
    last_ = selected;
    OperatorEditor* editor = nullptr;
    if (selected) {
        editor = createEditor(&window_.getParameterArea(), window_.getMaterial(), *selected,
                              window_.getUndoStack());
    }
    window_.replaceOperatorEditor(editor);
}

void OnChangeNode::handle(void*) {
    guarded(window_.getDialogs(), [this] { window_.renderIfAuto(); });
}

void OnProbeNode::handle(void*) {
    if (const VisualNode* node = window_.getCanvas().selectedNode()) {
        window_.openResultWindow(node->getId());
    }
}

void OnResizeNode::handle(void* size) {
    const VisualNode* node = window_.getCanvas().selectedNode();
    if (node == nullptr) {
        return;
    }
    const Point newSize = *static_cast<const Point*>(size);
    guarded(window_.getDialogs(), [&] {
        pushEdit(window_.getUndoStack(),
                 std::make_unique<ResizeNodeCommand>(window_.getMaterial(), node->getId(), newSize));
        window_.getCanvas().redraw();
        window_.renderIfAuto();
    });
}

} // namespace VelvorGUI
