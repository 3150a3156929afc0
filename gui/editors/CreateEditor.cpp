#include "gui/editors/CreateEditor.h"

#include "gui/editors/OperatorEditor.h"
#include "gui/editors/ValueEditorColour.h"
#include "gui/editors/ValueEditorEnum.h"
#include "gui/editors/ValueEditorInt.h"
#include "gui/editors/ValueEditorText.h"
#include "gui/undo/SetParameterCommand.h"

#include <QUndoStack>
#include <algorithm>

namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// One parameter of one node, written as undo steps.
class NodeParameter : public ValueTarget {
public:
    NodeParameter(Material& material, NodeId node, std::size_t index, const ParameterInfo& info,
                  QUndoStack& undoStack)
        : material_(material), node_(node), index_(index), info_(info), undoStack_(undoStack) {}

    ParameterValue read() const override {
        const VisualNode* node = material_.findNode(node_);
        if (info_.kind == ParameterKind::Text) {
            return node != nullptr ? std::string(info_.getText(node->getOperator())) : std::string();
        }
        return node != nullptr ? info_.get(node->getOperator()) : 0;
    }

    void write(const ParameterValue& value, EditGesture gesture) override {
        // A panel whose node has left the material is disabled; nothing may reach a missing node.
        if (material_.findNode(node_) == nullptr) {
            return;
        }
        undoStack_.push(new SetParameterCommand(material_, node_, index_, value, gesture));
    }

private:
    Material& material_;
    NodeId node_;
    std::size_t index_;
    const ParameterInfo& info_;
    QUndoStack& undoStack_;
};

std::unique_ptr<ValueEditor> editorFor(const ParameterInfo& info, std::unique_ptr<ValueTarget> target) {
    const QString label = toQString(info.label);
    switch (info.kind) {
    case ParameterKind::Int:
        return std::make_unique<ValueEditorInt>(label, std::move(target), info.minimum, info.maximum);
    case ParameterKind::EnumRadio:
    case ParameterKind::EnumList: {
        auto editor = std::make_unique<ValueEditorEnum>(label, std::move(target),
                                                        info.kind == ParameterKind::EnumRadio
                                                            ? ValueEditorEnum::Style::radioButtons
                                                            : ValueEditorEnum::Style::dropDownList);
        for (const EnumOption& option : info.options) {
            editor->addOption(option.value, toQString(option.label));
        }
        return editor;
    }
    case ParameterKind::Colour:
        return std::make_unique<ValueEditorColour>(label, std::move(target));
    case ParameterKind::Text:
        return std::make_unique<ValueEditorText>(label, std::move(target), info.field->capacity);
    }
    return nullptr;
}

} // namespace

OperatorEditor* createEditor(QWidget* parent, Material& material, NodeId node, QUndoStack& undoStack) {
    const VisualNode* visualNode = material.findNode(node);
    const NodeTypeInfo* type = visualNode != nullptr ? visualNode->getTypeInfo() : nullptr;
    if (type == nullptr || std::none_of(type->parameters.begin(), type->parameters.end(),
                                        [](const ParameterInfo& info) { return info.inPanel; })) {
        return nullptr;
    }
    auto* panel = new OperatorEditor(parent, material, node);
    for (std::size_t i = 0; i < type->parameters.size(); ++i) {
        const ParameterInfo& info = type->parameters[i];
        if (info.inPanel) {
            panel->addEditor(
                editorFor(info, std::make_unique<NodeParameter>(material, node, i, info, undoStack)));
        }
    }
    return panel;
}
