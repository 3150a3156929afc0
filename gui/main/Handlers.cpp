#include "gui/main/Handlers.h"

#include "gui/canvas/NodesView.h"
#include "gui/dialogs/ExceptionBox.h"
#include "gui/editors/CreateEditor.h"
#include "gui/main/MainWindow.h"
#include "gui/undo/NodeCommands.h"

namespace VelvorGUI {

void OnSelectNode::handle(const VisualNode* node) {
    const std::optional<NodeId> selected = node != nullptr ? std::optional(node->getId()) : std::nullopt;
    if (selected == last_) {
        return;
    }
    last_ = selected;
    OperatorEditor* editor = nullptr;
    if (selected) {
        Document& document = window_.getDocument();
        editor = createEditor(&window_.parameterArea(), document.getMaterial(), *selected,
                              document.getUndoStack());
    }
    window_.replaceOperatorEditor(editor);
}

void OnChangeNode::handle() {
    Document& document = window_.getDocument();
    guarded(document.getDialogs(), [&document] { document.renderIfAuto(); });
}

void OnProbeNode::handle(const VisualNode* node) {
    if (node != nullptr) {
        window_.openResultWindow(node->getId());
    }
}

void OnResizeNode::handle(Point newSize) {
    const VisualNode* node = window_.canvas().selectedNode();
    if (node == nullptr) {
        return;
    }
    Document& document = window_.getDocument();
    guarded(document.getDialogs(), [&] {
        pushEdit(document.getUndoStack(),
                 std::make_unique<ResizeNodeCommand>(document.getMaterial(), node->getId(), newSize));
        window_.canvas().redraw();
        document.renderIfAuto();
    });
}

} // namespace VelvorGUI
