#include "CanvasDriver.h"
#include "ScriptedDialogs.h"
#include "WindowParts.h"
#include "gui/closeup/HistogramView.h"
#include "gui/windows/ResultStatus.h"
#include "gui/windows/ResultView.h"
#include "gui/windows/ResultWindow.h"
#include "model/Material.h"
#include "model/OperatorNodes.h"

#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

// A result window on a node whose pixels the test writes; the view is 240 x 160.
class ResultCloseUpTest : public ::testing::Test {
protected:
    ResultWindow& open(int width, int height, const std::function<Velvor::Pixel(int, int)>& word) {
        VisualNode& node = material.addNode("Probe", *findNodeType(1), {width, height});
        paint(node.getId(), word);
        auto* window = new ResultWindow(nullptr, material, node.getId(), registry, dialogs);
        window->redraw();
        window->getView().resize(240, 160);
        return *window;
    }
    void paint(NodeId id, const std::function<Velvor::Pixel(int, int)>& word) {
        Velvor::Image& image = material.findNode(id)->getOperator().getImage();
        for (int row = 0; row < image.getHeight(); ++row) {
            for (int column = 0; column < image.getWidth(); ++column) {
                image.row(row)[column] = word(column, row);
            }
        }
    }
    static void wheel(QWidget& view, Point at, int notches) {
        QWheelEvent event(QPointF(at.x, at.y), view.mapToGlobal(QPointF(at.x, at.y)), {}, {0, 120 * notches},
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &event);
    }
    static QRgb shownAt(ResultWindow& window, Point at) {
        return window.getView().grab().toImage().pixel(at.x, at.y);
    }
    // The status line's reading of the pixel under the mouse at `at`.
    static QString readingAt(ResultWindow& window, Point at) {
        hover(window.getView(), at);
        return window.getStatus().text().section('\n', 0, 0).section("   ", 2);
    }
    void TearDown() override { HelperWindow::closeAll(); }

    Material material{Material::Empty{}};
    ResultWindowRegistry registry;
    ScriptedDialogs dialogs;
};

// Each pixel names itself: red is its column, green its row from the bottom.
Velvor::Pixel selfNaming(int column, int row) {
    return 0xA0000033u | static_cast<unsigned>(column) << 16 | static_cast<unsigned>(row) << 8;
}

QString readingOf(int column, int row) {
    return QString::asprintf("x %d  y %d  0x%08X  A 160  R %d  G %d  B 51", column, row,
                             selfNaming(column, row), column, row);
}

} // namespace

// Wheel steps and drags, then readings at points across the view: the pixel read out is the one
// painted there, and the wheel keeps the pixel under the cursor where it was.
TEST_F(ResultCloseUpTest, ReadoutNamesThePaintedPixelAtEveryZoomAndPan) {
    ResultWindow& window = open(13, 9, selfNaming);
    EXPECT_EQ(window.getView().getTransform().zoom, 1.0); // opens at 1:1
    EXPECT_EQ(readingAt(window, {3, 2}), readingOf(3, 6));
    EXPECT_EQ(readingAt(window, {16, 11}), readingOf(3, 6)); // tiled
    const struct {
        int notches;
        Point at, dragTo;
    } moves[] = {{3, {37, 21}, {37, 21}},    {0, {40, 40}, {3, 71}},    {2, {100, 50}, {100, 50}},
                 {-1, {11, 150}, {11, 150}}, {0, {200, 10}, {90, 130}}, {4, {239, 159}, {239, 159}}};
    for (const auto& move : moves) {
        if (move.notches != 0) {
            const QString before = readingAt(window, move.at);
            wheel(window.getView(), move.at, move.notches);
            EXPECT_EQ(readingAt(window, move.at), before) << "wheel " << move.notches;
        } else {
            drag(window.getView(), move.at, move.dragTo);
        }
        for (const Point at : {Point{0, 0}, Point{17, 9}, Point{120, 77}, Point{239, 159}, move.at}) {
            const QRgb shown = shownAt(window, at);
            EXPECT_EQ(readingAt(window, at), readingOf(qRed(shown), qGreen(shown)))
                << "zoom " << window.getView().getTransform().zoom << " at " << at.x << "," << at.y;
        }
    }
    EXPECT_TRUE(window.getStatus().text().startsWith("1600%")); // 3, 6, 4, then 16
    click(window.getView(), Qt::LeftButton, {120, 77});
    const QRgb pinned = shownAt(window, {120, 77});
    EXPECT_TRUE(window.getStatus().text().contains("Pinned: " + readingOf(qRed(pinned), qGreen(pinned))));
    QTest::keyClick(&window.getView(), Qt::Key_Z);
    EXPECT_EQ(readingAt(window, {3, 2}), readingOf(3, 6)); // back to 1:1 from the corner
}

// One colour everywhere, 0x80C04020, seen through each channel key.
TEST_F(ResultCloseUpTest, ChannelKeysShowOneChannelAsGrey) {
    ResultWindow& window = open(4, 2, [](int, int) { return 0x80C04020u; });
    const auto over = [](int colour, int checker) { return (colour * 128 + checker * 127 + 127) / 255; };
    const struct {
        Qt::Key key;
        QRgb expected;
    } cases[] = {{Qt::Key_R, qRgb(0xC0, 0xC0, 0xC0)},
                 {Qt::Key_G, qRgb(0x40, 0x40, 0x40)},
                 {Qt::Key_B, qRgb(0x20, 0x20, 0x20)},
                 {Qt::Key_A, qRgb(0x80, 0x80, 0x80)},
                 {Qt::Key_K, qRgb(over(0xC0, 204), over(0x40, 204), over(0x20, 204))},
                 {Qt::Key_C, qRgb(0xC0, 0x40, 0x20)}};
    for (const auto& c : cases) {
        QTest::keyClick(&window.getView(), c.key);
        EXPECT_EQ(shownAt(window, {1, 1}), c.expected) << QKeySequence(c.key).toString().toStdString();
    }
    EXPECT_TRUE(actionOf(window, "&Colour\tC")->isChecked());
    EXPECT_TRUE(window.getStatus().text().contains("alpha 128 everywhere"));
}

// The seam check moves a 4 x 2 picture by (2, 1): the picture's edges meet between widget columns 1
// and 2, tiled or not, at 1:1 and zoomed.
TEST_F(ResultCloseUpTest, SeamCheckMovesThePictureByHalfItsSize) {
    ResultWindow& window = open(4, 2, selfNaming);
    QTest::keyClick(&window.getView(), Qt::Key_S);
    const struct {
        Point at;
        int column, row;
    } cases[] = {{{0, 0}, 2, 0}, {{1, 0}, 3, 0}, {{2, 0}, 0, 0}, {{3, 1}, 1, 1}, {{6, 2}, 0, 0}};
    for (const bool tiled : {true, false}) {
        for (const auto& c : cases) {
            if (!tiled && c.at.x >= 4) {
                EXPECT_EQ(shownAt(window, c.at), window.getView().palette().color(QPalette::Base).rgb());
                continue;
            }
            EXPECT_EQ(shownAt(window, c.at) & 0xFFFFFF, selfNaming(c.column, c.row) & 0xFFFFFF)
                << c.at.x << "," << c.at.y << (tiled ? " tiled" : "");
        }
        actionOf(window, "&Tiled")->trigger();
    }
    wheel(window.getView(), {0, 0}, 2); // 2x, pan -0.5: widget (6, 4) shows picture (3.5, 2.5)
    EXPECT_EQ(shownAt(window, {6, 4}) & 0xFFFFFF, selfNaming(1, 0) & 0xFFFFFF);
}

// Space shows the picture from before the last change of the node's image, as long as it is held;
// the export still writes the current one.
TEST_F(ResultCloseUpTest, SpaceShowsThePictureFromBeforeTheLastChange) {
    ResultWindow& window = open(4, 4, [](int, int) { return 0xFF0000FFu; });
    window.redraw(); // the same picture again: no change
    paint(window.getNode(), [](int, int) { return 0xFFFF0000u; });
    window.redraw();
    QTest::keyPress(&window.getView(), Qt::Key_Space);
    EXPECT_EQ(shownAt(window, {1, 1}), qRgb(0, 0, 255));
    EXPECT_EQ(window.getView().getShownPixels().row(0)[0], 0xFFFF0000u);
    EXPECT_TRUE(window.getStatus().text().startsWith("Before the last change"));
    QTest::keyRelease(&window.getView(), Qt::Key_Space);
    EXPECT_EQ(shownAt(window, {1, 1}), qRgb(255, 0, 0));
}

// Counts per channel, here for a small picture and on the counting thread for a large one.
TEST_F(ResultCloseUpTest, HistogramCountsEveryChannelOfThePicture) {
    for (const int side : {4, 300}) {
        ResultWindow& window =
            open(side, side, [](int column, int) { return column % 2 == 0 ? 0x10203040u : 0xFF203041u; });
        QTest::keyClick(&window.getView(), Qt::Key_H);
        window.getHistogram().waitUntilCounted();
        ASSERT_TRUE(window.getHistogram().getHistogram().has_value()) << side;
        const Histogram& counts = *window.getHistogram().getHistogram();
        const auto half = static_cast<std::uint32_t>(side * side / 2);
        EXPECT_EQ(counts.counts[0][0x20], 2 * half);
        EXPECT_EQ(counts.counts[1][0x30], 2 * half);
        EXPECT_EQ(counts.counts[2][0x40], half);
        EXPECT_EQ(counts.counts[2][0x41], half);
        EXPECT_EQ(counts.counts[3][0x10], half);
        EXPECT_EQ(counts.counts[3][0xFF], half);
        EXPECT_TRUE(window.getHistogram().isVisibleTo(&window));
    }
}
