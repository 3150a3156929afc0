#include "EditorTestSupport.h"
#include "gui/editors/ColourAxes.h"
#include "gui/editors/ColourViews.h"
#include "gui/editors/ValueEditorColour.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Velvor::Pixel;

// Remembers every colour the dialog announced.
struct ColourLog : Event<Pixel> {
    std::vector<Pixel> colours;
    void handle(Pixel colour) override { colours.push_back(colour); }
};

// Opens a dialog on the colour, runs `act` while it is open, and gives back what it announced.
std::vector<Pixel> visit(Pixel colour, const std::function<void(ColourWindow&)>& act) {
    ColourLog log;
    auto* dialog = new ColourWindow(nullptr, colour);
    dialog->getColourEvents().add(&log);
    QPointer<ColourWindow> alive = dialog;
    whileModal([&act](QWidget* open) { act(*static_cast<ColourWindow*>(open)); });
    dialog->show();
    EXPECT_TRUE(alive.isNull()); // it deleted itself when it ended
    return log.colours;
}

QWidget* view(ColourWindow& dialog, const char* name) {
    return dialog.findChild<QWidget*>(name);
}

void press(ColourWindow& dialog, const char* button) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(button), Qt::LeftButton);
}

TEST(ColourWindowTest, OpeningShowsTheColourAndAnnouncesItOnce) {
    const auto heard = visit(0xFF336699u, [](ColourWindow& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Pick your colour...");
        EXPECT_EQ(dialog.findChild<QLabel*>("rgbText")->text(), "51, 102, 153");
        EXPECT_EQ(dialog.findChild<QLineEdit*>("hexText")->text(), "336699");
        EXPECT_TRUE(dialog.findChild<QRadioButton*>("axisR")->isChecked());
        press(dialog, "ok");
    });
    EXPECT_EQ(heard, std::vector<Pixel>{0xFF336699u});
}

TEST(ColourWindowTest, TheFieldAndTheSliderMapClampedPositionsToChannels) {
    const auto heard = visit(0x80336699u, [](ColourWindow& dialog) {
        // Axis red: blue across, green up; red and alpha stay.
        clickAt(view(dialog, "largeView"), QPoint(2, 257));
        clickAt(view(dialog, "largeView"), QPoint(300, -20));
        QTest::mouseClick(dialog.findChild<QRadioButton*>("axisB"), Qt::LeftButton);
        clickAt(view(dialog, "smallView"), QPoint(20, 2));
        clickAt(view(dialog, "smallView"), QPoint(20, 257));
        EXPECT_EQ(dialog.findChild<QLineEdit*>("hexText")->text(), "33FF00");
        press(dialog, "ok");
    });
    EXPECT_EQ(heard, (std::vector<Pixel>{0x80336699u, 0x80330000u, 0x8033FFFFu, 0x8033FFFFu, 0x8033FF00u}));
}

TEST(ColourWindowTest, CancelAndTheLowerComparisonHalfGoBackToTheStart) {
    const auto heard = visit(0xFF336699u, [](ColourWindow& dialog) {
        clickAt(view(dialog, "largeView"), QPoint(12, 247));   // blue 10, green 10
        clickAt(view(dialog, "selectedView"), QPoint(30, 10)); // the upper half does nothing
        clickAt(view(dialog, "selectedView"), QPoint(30, 60));
        clickAt(view(dialog, "largeView"), QPoint(2, 257));
        press(dialog, "cancel");
    });
    EXPECT_EQ(heard, (std::vector<Pixel>{0xFF336699u, 0xFF330A0Au, 0xFF336699u, 0xFF330000u, 0xFF336699u}));

    // Closing by the title bar keeps what was picked.
    const auto closed = visit(0xFF336699u, [](ColourWindow& dialog) {
        clickAt(view(dialog, "largeView"), QPoint(2, 257));
        dialog.close();
    });
    EXPECT_EQ(closed, (std::vector<Pixel>{0xFF336699u, 0xFF330000u}));
}

TEST(ColourWindowTest, TheFieldShowsTheTwoOtherChannelsWithARingAroundTheColour) {
    // Axis green: blue across, red up, green fixed.
    EXPECT_EQ(ColourAxes::fieldCell(0xFF336699u, 1, 10, 20), 0x000A6614u);
    // Around the colour's cell (row red 0x33 = 51, column blue 0x99 = 153): radius 3 is the colour,
    // 4 black, 5 and 6 white, 7 the colour again.
    EXPECT_EQ(ColourAxes::fieldCell(0xFF336699u, 1, 51, 156), 0x0033669Cu);
    EXPECT_EQ(ColourAxes::fieldCell(0xFF336699u, 1, 51, 157), 0x000000u);
    EXPECT_EQ(ColourAxes::fieldCell(0xFF336699u, 1, 54, 157), 0xFFFFFFu); // 3² + 4² = 25
    EXPECT_EQ(ColourAxes::fieldCell(0xFF336699u, 1, 51, 159), 0xFFFFFFu);
    EXPECT_EQ(ColourAxes::fieldCell(0xFF336699u, 1, 51, 160), 0x003366A0u);

    // The painted view puts row 0 at the bottom: cell (row 10, column 20) at (22, 247).
    auto* dialog = new ColourWindow(nullptr, 0xFF336699u);
    whileModal([](QWidget* open) {
        auto& window = *static_cast<ColourWindow*>(open);
        QTest::mouseClick(window.findChild<QRadioButton*>("axisG"), Qt::LeftButton);
        const QImage field = view(window, "largeView")->grab().toImage();
        EXPECT_EQ(field.pixel(22, 247) & 0xFFFFFFu, 0x0A6614u);
        const QImage slider = view(window, "smallView")->grab().toImage();
        EXPECT_EQ(slider.pixel(20, 257 - 0x40) & 0xFFFFFFu, 0x334099u); // the green ramp
        EXPECT_EQ(window.getColour(), 0xFF336699u);
        press(window, "ok");
    });
    dialog->show();
}

TEST(ValueEditorColourTest, CancellingTheDialogWritesTheStartingColourBackAndNotifies) {
    QWidget panel;
    Variable variable{static_cast<std::int32_t>(0xFF336699u)};
    ValueEditorColour editor("Colour", bindTo(variable));
    Counter heard;
    editor.getChangeEvents().add(&heard);
    editor.create(&panel, Point{8, 8}, 384);
    EXPECT_EQ(editor.getSwatch()->geometry(), QRect(200, 8, 48, 18));

    whileModal([](QWidget* open) {
        auto& dialog = *static_cast<ColourWindow*>(open);
        clickAt(view(dialog, "largeView"), QPoint(2, 257));
        press(dialog, "cancel");
    });
    QTest::mouseClick(editor.getSwatch(), Qt::LeftButton);

    EXPECT_EQ(variable.writes, (std::vector<ParameterValue>{static_cast<std::int32_t>(0xFF336699u),
                                                            static_cast<std::int32_t>(0xFF330000u),
                                                            static_cast<std::int32_t>(0xFF336699u)}));
    EXPECT_EQ(heard.count, 3);
    EXPECT_EQ(editor.getSwatch()->getColour(), 0xFF336699u);
    // One visit, one gesture.
    EXPECT_EQ(std::count(variable.gestures.begin(), variable.gestures.end(), variable.gestures[0]), 3);
}

} // namespace
