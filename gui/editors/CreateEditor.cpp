#include "gui/editors/CreateEditor.h"

#include "gui/editors/OperatorEditor.h"
#include "gui/editors/ValueEditorColour.h"
#include "gui/editors/ValueEditorEnum.h"
#include "gui/editors/ValueEditorInt.h"
#include "gui/editors/ValueEditorText.h"
#include "gui/undo/SetParameterCommand.h"

#include <QPushButton>
#include <QUndoStack>
#include <algorithm>
#include <optional>

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

// "New seed" beside a seed's row: another seed in the parameter's range, as one step. The next seed
// follows from the current one and the node, so a run of presses can be replayed exactly.
void addNewSeedButton(OperatorEditor& panel, Material& material, NodeId node, std::size_t index,
                      const ParameterInfo& info, QUndoStack& undoStack) {
    auto* button = new QPushButton("New seed", &panel);
    // On a row of its own under the last one: the rows' controls take the panel's whole width.
    const int top = panel.lastRow().y + panel.getEditors().back()->getHeight() + 8;
    button->setGeometry(ValueEditor::controlX, top, 90, 24);
    button->setAutoDefault(false);
    button->show(); // the panel may be on show already, as the rows' controls assume
    QObject::connect(button, &QPushButton::clicked, &panel, [&material, &undoStack, node, index, &info] {
        const VisualNode* target = material.findNode(node);
        if (target == nullptr) {
            return;
        }
        const std::uint32_t range = static_cast<std::uint32_t>(info.maximum - info.minimum) + 1;
        const auto current = static_cast<std::uint32_t>(info.get(target->getOperator()) - info.minimum);
        std::uint32_t next = current;
        for (std::uint32_t mix = current * 2654435761u + static_cast<std::uint32_t>(node); next == current;) {
            mix = mix * 1664525u + 1013904223u;
            next = (mix >> 8) % range;
            if (range == 1) {
                break;
            }
        }
        undoStack.push(new SetParameterCommand(
            material, node, index, static_cast<std::int32_t>(next) + info.minimum, newEditGesture()));
    });
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
    std::optional<std::size_t> seed;
    for (std::size_t i = 0; i < type->parameters.size(); ++i) {
        const ParameterInfo& info = type->parameters[i];
        if (info.inPanel) {
            panel->addEditor(
                editorFor(info, std::make_unique<NodeParameter>(material, node, i, info, undoStack)));
            seed = info.field->name == "seed" ? std::optional(i) : seed;
        }
    }
    if (seed) {
        addNewSeedButton(*panel, material, node, *seed, type->parameters[*seed], undoStack);
    }
    return panel;
}
