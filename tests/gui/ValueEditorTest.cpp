#include "EditorTestSupport.h"
#include "gui/editors/ValueEditorEnum.h"
#include "gui/editors/ValueEditorInt.h"
#include "gui/editors/ValueEditorText.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A panel 400 pixels wide gives its editors the width 384.
constexpr int editorWidth = 384;

struct PageStepCase {
    std::int16_t minimum;
    std::int16_t maximum;
    int pageStep;
};

class IntPageStep : public testing::TestWithParam<PageStepCase> {};

TEST_P(IntPageStep, IsAnEighthOfTheRangeAndAtLeastOne) {
    const PageStepCase c = GetParam();
    QWidget panel;
    Variable variable{std::int32_t{c.minimum}};
    ValueEditorInt editor("Amount", bindTo(variable), c.minimum, c.maximum);
    editor.create(&panel, Point{8, 8}, editorWidth);
    EXPECT_EQ(editor.getPageStep(), c.pageStep);

    editor.getScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(variable.value, ParameterValue(std::int32_t{c.minimum + c.pageStep}));
    editor.getScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(variable.value, ParameterValue(std::int32_t{c.minimum + c.pageStep - 1}));
    EXPECT_EQ(editor.getValueBox()->text(), QString::number(c.minimum + c.pageStep - 1));
}

INSTANTIATE_TEST_SUITE_P(Ranges, IntPageStep,
                         testing::Values(PageStepCase{0, 512, 64}, PageStepCase{0, 14, 1},
                                         PageStepCase{1, 8, 1}));

TEST(ValueEditorIntTest, APageStepAtTheMaximumStaysThereAndStillNotifies) {
    QWidget panel;
    Variable variable{std::int32_t{512}};
    ValueEditorInt editor("Amount A", bindTo(variable), 0, 512);
    Counter heard;
    editor.getChangeEvents().add(&heard);
    editor.create(&panel, Point{8, 8}, editorWidth);
    EXPECT_EQ(heard.count, 0); // showing the value is not a change

    editor.getScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(heard.count, 1);
    EXPECT_EQ(variable.writes, std::vector<ParameterValue>{std::int32_t{512}});
}

TEST(ValueEditorIntTest, ANegativeValueIsShownWithItsSignAndTheRowFitsTheWidth) {
    QWidget panel;
    Variable variable{std::int32_t{-3}};
    ValueEditorInt editor("Offset", bindTo(variable), -10, 10);
    editor.create(&panel, Point{8, 40}, editorWidth);
    EXPECT_EQ(editor.getValueBox()->text(), "-3");
    EXPECT_EQ(editor.getHeight(), 22);
    // Scroll bar from 200 to 324, value box from 330 to 384, both on the row.
    EXPECT_EQ(editor.getScrollBar()->geometry(), QRect(200, 40, 124, 22));
    EXPECT_EQ(editor.getValueBox()->geometry(), QRect(330, 40, 54, 18));
    const auto* label = panel.findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), " Offset");
    EXPECT_EQ(label->geometry(), QRect(8, 40, 188, 18));
}

constexpr std::int16_t weightValues[] = {100, 300, 400, 500, 700, 900};

TEST(ValueEditorEnumTest, AListShowsTheEntryOfTheValueAndStoresTheChosenOptionsValue) {
    QWidget panel;
    Variable variable{std::int32_t{400}};
    ValueEditorEnum editor("Weight", bindTo(variable), ValueEditorEnum::Style::dropDownList);
    for (const std::int16_t value : weightValues) {
        editor.addOption(value, QString::number(value));
    }
    editor.create(&panel, Point{8, 8}, editorWidth);
    EXPECT_EQ(editor.getList()->currentIndex(), 2);

    QTest::keyClick(editor.getList(), Qt::Key_Down); // the fourth entry
    QTest::keyClick(editor.getList(), Qt::Key_Down); // the fifth
    EXPECT_EQ(editor.getList()->currentIndex(), 4);
    EXPECT_EQ(variable.value, ParameterValue(std::int32_t{700}));

    // A value no option has selects nothing.
    variable.value = std::int32_t{200};
    editor.refresh();
    EXPECT_EQ(editor.getList()->currentIndex(), -1);
}

TEST(ValueEditorEnumTest, RadioButtonsAreTwelvePixelsHighAndFourApart) {
    QWidget panel;
    panel.show();
    Variable three{std::int32_t{7}};
    ValueEditorEnum editor("Blending", bindTo(three), ValueEditorEnum::Style::radioButtons);
    editor.addOption(3, "Add");
    editor.addOption(7, "Multiply");
    editor.addOption(9, "Hue");
    editor.create(&panel, Point{8, 30}, editorWidth);
    EXPECT_EQ(editor.getHeight(), 44);
    const std::vector<QRadioButton*> buttons = editor.getButtons();
    ASSERT_EQ(buttons.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(buttons[i]->geometry(), QRect(200, 33 + 16 * i, 150, 12));
    }
    EXPECT_TRUE(buttons[1]->isChecked());

    QTest::mouseClick(buttons[2], Qt::LeftButton, {}, QPoint(4, 6)); // on the indicator
    EXPECT_EQ(three.value, ParameterValue(std::int32_t{9}));
    EXPECT_FALSE(buttons[1]->isChecked());

    Variable one{std::int32_t{0}};
    ValueEditorEnum single("Only", bindTo(one), ValueEditorEnum::Style::radioButtons);
    single.addOption(0, "One");
    single.create(&panel, Point{8, 100}, editorWidth);
    EXPECT_EQ(single.getHeight(), 12);
    // The second editor's button does not uncheck the first editor's.
    EXPECT_TRUE(buttons[2]->isChecked());
    EXPECT_TRUE(single.getButtons()[0]->isChecked());
}

TEST(ValueEditorTextTest, EveryKeystrokeWritesTheTextAndNotifiesAsOneBurst) {
    QWidget panel;
    Variable variable{std::string("Pwn")};
    ValueEditorText editor("Text", bindTo(variable), 8);
    Counter heard;
    editor.getChangeEvents().add(&heard);
    editor.create(&panel, Point{8, 8}, editorWidth);
    EXPECT_EQ(editor.getEditBox()->geometry(), QRect(200, 8, 184, 22));

    QTest::keyClicks(editor.getEditBox(), "age!xyz");
    // Seven characters fit a buffer of eight bytes; the rest is refused.
    const std::vector<ParameterValue> expected{std::string("Pwna"), std::string("Pwnag"),
                                               std::string("Pwnage"), std::string("Pwnage!")};
    EXPECT_EQ(variable.writes, expected);
    EXPECT_EQ(heard.count, 4);
    EXPECT_EQ(std::count(variable.gestures.begin(), variable.gestures.end(), variable.gestures.front()), 4);

    // Leaving the box ends the burst.
    emit editor.getEditBox()->editingFinished();
    QTest::keyClick(editor.getEditBox(), Qt::Key_Backspace);
    EXPECT_EQ(variable.value, ParameterValue(std::string("Pwnage")));
    EXPECT_NE(variable.gestures.back(), variable.gestures.front());
}

TEST(ValueEditorTextTest, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    QWidget panel;
    Variable variable{std::string("\xE9")}; // é in the Western code page
    ValueEditorText editor("Text", bindTo(variable), 1024);
    editor.create(&panel, Point{8, 8}, editorWidth);
    EXPECT_EQ(editor.getEditBox()->text(), QString::fromUtf8("é"));

    for (const QString& character : {QString::fromUtf8("€"), QString::fromUtf8("Ω")}) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, character);
        QApplication::sendEvent(editor.getEditBox(), &key);
    }
    EXPECT_EQ(variable.value, ParameterValue(std::string("\xE9\x80?")));
}

} // namespace
