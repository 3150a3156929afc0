#include "gui/editors/OperatorEditor.h"

#include "EditorTestSupport.h"
#include "gui/editors/CreateEditor.h"
#include "gui/editors/ValueEditorColour.h"
#include "gui/editors/ValueEditorEnum.h"
#include "gui/editors/ValueEditorInt.h"
#include "gui/editors/ValueEditorText.h"
#include "gui/undo/SetParameterCommand.h"
#include "model/NodeType.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <QUndoStack>
#include <gtest/gtest.h>
#include <set>

namespace {

const NodeTypeInfo& typeNamed(std::string_view name) {
    for (const NodeTypeInfo& type : nodeTypes) {
        if (type.name == name) {
            return type;
        }
    }
    throw std::invalid_argument("no such node type");
}

// Hears the material's parameter changes.
struct ParameterLog : MaterialObserver {
    std::vector<MaterialChange> changes;
    void materialChanged(const MaterialChange& change) override {
        if (change.kind == MaterialChange::Kind::ParameterChanged) {
            changes.push_back(change);
        }
    }
};

class OperatorEditorTest : public testing::Test {
protected:
    OperatorEditorTest() {
        area.resize(400, 300);
        material.addObserver(&log);
    }
    ~OperatorEditorTest() override { material.removeObserver(&log); }

    VisualNode& add(std::string_view type) {
        return material.addNode("node", typeNamed(type), Point{32, 32});
    }

    QWidget area;
    Material material{Material::Empty{}};
    QUndoStack undoStack;
    ParameterLog log;
};

TEST_F(OperatorEditorTest, RowsStackFromTheTopAndFollowTheAreasWidth) {
    area.resize(300, 300);
    area.show(); // a hidden area tells no one of its size
    VisualNode& node = add("Checkerboard");
    OperatorEditor panel(&area, material, node.getId());
    Variable number{std::int32_t{1}};
    Variable choice{std::int32_t{0}};
    Variable text{std::string("a")};
    auto options =
        std::make_unique<ValueEditorEnum>("Blending", bindTo(choice), ValueEditorEnum::Style::radioButtons);
    options->addOption(0, "Add");
    options->addOption(1, "Multiply");
    options->addOption(2, "Hue");
    panel.addEditor(std::make_unique<ValueEditorInt>("Amount", bindTo(number), 0, 10));
    panel.addEditor(std::move(options));
    panel.addEditor(std::make_unique<ValueEditorText>("Text", bindTo(text), 16));

    std::vector<int> labelRows;
    for (const QLabel* label : panel.findChildren<QLabel*>()) {
        if (label->text().startsWith(' ')) {
            labelRows.push_back(label->y());
        }
    }
    EXPECT_EQ(labelRows, (std::vector<int>{8, 34, 82}));

    area.resize(400, 250);
    EXPECT_EQ(panel.geometry(), QRect(0, 0, 400, 250));
    auto* integer = static_cast<ValueEditorInt*>(panel.getEditors()[0].get());
    EXPECT_EQ(integer->getScrollBar()->geometry(), QRect(200, 8, 124, 22));
    EXPECT_EQ(integer->getValueBox()->geometry(), QRect(330, 8, 54, 18));
    auto* edit = static_cast<ValueEditorText*>(panel.getEditors()[2].get());
    EXPECT_EQ(edit->getEditBox()->geometry(), QRect(200, 82, 184, 22));

    // Any editor's change marks the node and reaches the panel's listeners.
    Counter heard;
    panel.getChangeEvents().add(&heard);
    node.update();
    ASSERT_FALSE(node.isDirty());
    integer->getScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_TRUE(node.isDirty());
    EXPECT_EQ(heard.count, 1);
}

TEST_F(OperatorEditorTest, TheCollectorHasNoPanelAndAPanelWhoseNodeLeftWaitsForItsReturn) {
    EXPECT_EQ(createEditor(&area, material, add("Collector").getId(), undoStack), nullptr);

    VisualNode& node = add("Checkerboard");
    std::unique_ptr<OperatorEditor> panel(createEditor(&area, material, node.getId(), undoStack));
    RemovedNode removed = material.removeNode(&node);
    EXPECT_FALSE(panel->isEnabled());
    removed.node->getTypeInfo()->parameters[0].set(removed.node->getOperator(), 9);
    material.restoreNode(std::move(removed));
    EXPECT_TRUE(panel->isEnabled());
    EXPECT_EQ(static_cast<ValueEditorInt*>(panel->getEditors()[0].get())->getValueBox()->text(), "9");
}

ParameterValue valueOf(const VisualNode& node, const ParameterInfo& info) {
    if (info.kind == ParameterKind::Text) {
        return std::string(info.getText(node.getOperator()));
    }
    return info.get(node.getOperator());
}

// Edits one parameter through its editor the way a user would; returns the value it should hold.
ParameterValue editLikeAUser(ValueEditor& editor, const ParameterInfo& info, const ParameterValue& before) {
    switch (info.kind) {
    case ParameterKind::Int:
        static_cast<ValueEditorInt&>(editor).getScrollBar()->triggerAction(
            QAbstractSlider::SliderSingleStepAdd);
        return std::get<std::int32_t>(before) + 1;
    case ParameterKind::EnumRadio:
        QTest::mouseClick(static_cast<ValueEditorEnum&>(editor).getButtons().back(), Qt::LeftButton, {},
                          QPoint(4, 6));
        return std::int32_t{info.options.back().value};
    case ParameterKind::EnumList:
        QTest::keyClick(static_cast<ValueEditorEnum&>(editor).getList(), Qt::Key_End);
        return std::int32_t{info.options.back().value};
    case ParameterKind::Text:
        QTest::keyClicks(static_cast<ValueEditorText&>(editor).getEditBox(), "ab");
        return std::get<std::string>(before) + "ab";
    case ParameterKind::Colour: {
        whileModal([](QWidget* dialog) {
            // Axis red: blue 0x10 from x, green 0x20 from y; then OK.
            clickAt(dialog->findChild<QWidget*>("largeView"), QPoint(2 + 0x10, 257 - 0x20));
            QTest::mouseClick(dialog->findChild<QPushButton*>("ok"), Qt::LeftButton);
        });
        QTest::mouseClick(static_cast<ValueEditorColour&>(editor).getSwatch(), Qt::LeftButton);
        const auto word = static_cast<std::uint32_t>(std::get<std::int32_t>(before));
        return static_cast<std::int32_t>((word & 0xFFFF0000u) | 0x2010u);
    }
    }
    return before;
}

TEST_F(OperatorEditorTest, EveryParameterOfEveryTypeIsEditedThroughItsPanelAsOneUndoStep) {
    area.show();
    for (const NodeTypeInfo& type : nodeTypes) {
        SCOPED_TRACE(std::string(type.name));
        VisualNode& node = add(type.name);
        std::unique_ptr<OperatorEditor> panel(createEditor(&area, material, node.getId(), undoStack));
        const auto shown = std::count_if(type.parameters.begin(), type.parameters.end(),
                                         [](const ParameterInfo& info) { return info.inPanel; });
        if (shown == 0) {
            EXPECT_EQ(panel, nullptr);
            continue;
        }
        ASSERT_NE(panel, nullptr);
        ASSERT_EQ(panel->getEditors().size(), static_cast<std::size_t>(shown));
        Counter heard;
        panel->getChangeEvents().add(&heard);

        std::size_t editor = 0;
        for (std::size_t i = 0; i < type.parameters.size(); ++i) {
            const ParameterInfo& info = type.parameters[i];
            if (!info.inPanel) {
                continue;
            }
            SCOPED_TRACE(std::string(info.label));
            EXPECT_EQ(panel->getEditors()[editor]->getLabel().toStdString(), info.label);
            const ParameterValue before = valueOf(node, info);
            const int steps = undoStack.count();
            log.changes.clear();
            const int heardBefore = heard.count;

            const ParameterValue expected = editLikeAUser(*panel->getEditors()[editor], info, before);
            const ParameterValue after = valueOf(node, info);
            EXPECT_EQ(after, expected);
            EXPECT_NE(after, before);
            EXPECT_EQ(undoStack.count(), steps + 1);
            ASSERT_FALSE(log.changes.empty());
            EXPECT_EQ(log.changes.back(),
                      (MaterialChange{MaterialChange::Kind::ParameterChanged, node.getId(), i}));
            EXPECT_GT(heard.count, heardBefore);

            undoStack.undo();
            EXPECT_EQ(valueOf(node, info), before);
            undoStack.redo();
            ++editor;
        }
    }
}

TEST_F(OperatorEditorTest, DraggingAScrollBarThroughFiftyValuesIsOneUndoStep) {
    area.resize(800, 300);
    area.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));
    VisualNode& node = add("Subplasma");
    std::unique_ptr<OperatorEditor> panel(createEditor(&area, material, node.getId(), undoStack));
    ASSERT_NE(panel, nullptr);
    QScrollBar* bar =
        static_cast<ValueEditorInt*>(panel->getEditors()[1].get())->getScrollBar(); // Random Seed
    const auto seed = [&node] { return node.getTypeInfo()->parameters[1].get(node.getOperator()); };
    ASSERT_EQ(bar->value(), 0);
    node.update();
    ASSERT_FALSE(node.isDirty());

    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = Qt::Horizontal;
    option.state |= QStyle::State_Horizontal;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.subControls = QStyle::SC_All;
    const QPoint thumb =
        bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar).center();

    QTest::mousePress(bar, Qt::LeftButton, {}, thumb);
    std::set<std::int32_t> values;
    for (int step = 1; step <= 60; ++step) {
        QTest::mouseMove(bar, thumb + QPoint(step, 0));
        values.insert(seed());
    }
    QTest::mouseRelease(bar, Qt::LeftButton, {}, thumb + QPoint(60, 0));

    EXPECT_GE(values.size(), 50u);
    const std::int32_t end = seed();
    EXPECT_GT(end, 0);
    EXPECT_EQ(undoStack.count(), 1);

    node.update();
    undoStack.undo();
    EXPECT_EQ(seed(), 0);
    EXPECT_TRUE(node.isDirty());
    EXPECT_EQ(bar->value(), 0);
    undoStack.redo();
    EXPECT_EQ(seed(), end);
}

TEST_F(OperatorEditorTest, ChangesMergeOnlyWithinOneGestureAndAGestureBackToTheStartLeavesNoStep) {
    VisualNode& node = add("Mixer");
    const NodeId id = node.getId();
    const EditGesture drag = newEditGesture();
    undoStack.push(new SetParameterCommand(material, id, 0, std::int32_t{300}, drag));
    undoStack.push(new SetParameterCommand(material, id, 0, std::int32_t{256}, drag));
    EXPECT_EQ(undoStack.count(), 0); // back at the default 256

    undoStack.push(new SetParameterCommand(material, id, 0, std::int32_t{10}, drag));
    undoStack.push(new SetParameterCommand(material, id, 1, std::int32_t{20}, drag)); // another parameter
    undoStack.push(new SetParameterCommand(material, id, 1, std::int32_t{30}, newEditGesture()));
    EXPECT_EQ(undoStack.count(), 3);
    undoStack.undo();
    EXPECT_EQ(node.getTypeInfo()->parameters[1].get(node.getOperator()), 20);
}

} // namespace

// "New seed" draws another seed in range, as one step that undoes back to the old one.
TEST_F(OperatorEditorTest, NewSeedDrawsAnotherSeedAsOneStep) {
    area.resize(800, 300);
    area.show();
    VisualNode& node = add("Subplasma");
    std::unique_ptr<OperatorEditor> panel(createEditor(&area, material, node.getId(), undoStack));
    ASSERT_NE(panel, nullptr);
    auto* button = panel->findChild<QPushButton*>();
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isVisible());
    const ParameterInfo& info = node.getTypeInfo()->parameters[1];
    const auto seed = [&] { return info.get(node.getOperator()); };
    std::set<std::int32_t> drawn{seed()};
    std::int32_t before = seed();
    for (int i = 0; i < 20; ++i) {
        before = seed();
        button->click();
        EXPECT_NE(seed(), before);
        EXPECT_GE(seed(), info.minimum);
        EXPECT_LE(seed(), info.maximum);
        drawn.insert(seed());
    }
    EXPECT_GT(drawn.size(), 10u); // not two values in turn
    EXPECT_EQ(undoStack.count(), 20);
    undoStack.undo();
    EXPECT_EQ(seed(), before);
}
