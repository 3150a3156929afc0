#include "gui/editors/OperatorEditor.h"

#include <QEvent>

OperatorEditor::OperatorEditor(QWidget* parent, Material& material, NodeId node)
    : QWidget(parent), material_(material), node_(node) {
    // The dialog's face behind the rows.
    setAutoFillBackground(true);
    if (parent != nullptr) {
        setGeometry(parent->rect());
        parent->installEventFilter(this);
    }
    material_.addObserver(&watcher_);
    setEnabled(material_.findNode(node_) != nullptr);
    show();
}

OperatorEditor::~OperatorEditor() {
    detach();
    // Each editor deletes its own controls, which are children of this widget.
    editors_.clear();
}

void OperatorEditor::detach() {
    if (attached_) {
        attached_ = false;
        material_.removeObserver(&watcher_);
        setEnabled(false);
    }
}

void OperatorEditor::addEditor(std::unique_ptr<ValueEditor> editor) {
    if (!editors_.empty()) {
        nextRow_.y += editors_.back()->getHeight() + rowSpacing;
    }
    editor->getChangeEvents().add(&changeHandler_);
    editor->create(this, nextRow_, width() - rightMargin);
    editors_.push_back(std::move(editor));
}

bool OperatorEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
    }
    return QWidget::eventFilter(watched, event);
}

void OperatorEditor::resizeEvent(QResizeEvent*) {
    // Rows keep their places; only their widths follow.
    for (const auto& editor : editors_) {
        editor->setWidth(width() - rightMargin);
    }
}

void OperatorEditor::ValueChangeHandler::handle() {
    if (!panel_.attached_) {
        return;
    }
    // Editors from the catalogue write through the material, which marks the node already; this
    // holds for any other editor, too.
    if (VisualNode* node = panel_.material_.findNode(panel_.node_)) {
        node->markDirty();
    }
    panel_.changeEvents_.fire();
}

void OperatorEditor::MaterialWatcher::materialChanged(const MaterialChange& change) {
    using Kind = MaterialChange::Kind;
    switch (change.kind) {
    case Kind::ParameterChanged:
        if (change.node == panel_.node_) {
            for (const auto& editor : panel_.editors_) {
                editor->refresh();
            }
        }
        break;
    case Kind::NodeAdded:
    case Kind::NodeRemoved:
    case Kind::Cleared:
    case Kind::Replaced: {
        const bool present = panel_.material_.findNode(panel_.node_) != nullptr;
        if (present && !panel_.isEnabled()) {
            for (const auto& editor : panel_.editors_) {
                editor->refresh();
            }
        }
        panel_.setEnabled(present);
        break;
    }
    default:
        break;
    }
}
