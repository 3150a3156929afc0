#include "gui/canvas/CanvasZoom.h"

#include "CanvasDriver.h"

#include <QWheelEvent>
#include <gtest/gtest.h>
#include <vector>

TEST(CanvasZoomTest, StepsSpanAnEighthToFourTimes) {
    EXPECT_DOUBLE_EQ(zoomFactor(0), 1.0);
    EXPECT_DOUBLE_EQ(zoomFactor(minZoomStep), 0.125);
    EXPECT_DOUBLE_EQ(zoomFactor(maxZoomStep), 4.0);
    EXPECT_DOUBLE_EQ(zoomFactor(maxZoomStep + 5), 4.0);
    EXPECT_DOUBLE_EQ(zoomFactor(-4), 0.5);
}

// At every step, the canvas point under the cursor stays under it, within one unscaled point.
TEST(CanvasZoomTest, ZoomingAroundAPixelKeepsItsCanvasPoint) {
    const Point panning{-300, 125};
    for (const Point pixel : {Point{0, 0}, Point{417, 233}, Point{799, 599}}) {
        for (int from = minZoomStep; from <= maxZoomStep; from += 5) {
            for (int to = minZoomStep; to <= maxZoomStep; to += 3) {
                const double a = zoomFactor(from);
                const double b = zoomFactor(to);
                const Point after = panningZoomedAround(panning, pixel, a, b);
                const double before = pixel.x / a - panning.x;
                const double now = pixel.x / b - after.x;
                EXPECT_NEAR(now, before, 1.0) << from << " -> " << to;
                EXPECT_NEAR(pixel.y / b - after.y, pixel.y / a - panning.y, 1.0);
            }
        }
    }
}

TEST(CanvasZoomTest, PixelsAndUnscaledPointsConvertBothWays) {
    EXPECT_EQ(unscaledPoint({100, 50}, 2.0), (Point{50, 25}));
    EXPECT_EQ(unscaledPoint({-3, 7}, 0.5), (Point{-6, 14}));
    EXPECT_EQ(pixelOf({50, 25}, 2.0), (Point{100, 50}));
    EXPECT_EQ(unscaledSize({801, 600}, 4.0), (Point{201, 150}));
    EXPECT_EQ(unscaledPoint({INT_MAX, INT_MIN}, 0.125), (Point{INT_MAX, INT_MIN})); // held, not wrapped
}

TEST(CanvasZoomTest, FitChoosesTheLargestStepUpToActualSize) {
    EXPECT_EQ(fittingZoomStep({}, {800, 600}), 0);
    const std::vector<Point> near{{0, 0}, {200, 100}};
    EXPECT_EQ(fittingZoomStep(near, {800, 600}), 0); // never larger than 1:1
    const std::vector<Point> wide{{0, 0}, {3000, 0}};
    const int step = fittingZoomStep(wide, {800, 600});
    EXPECT_LE((3000 + 102 + 96) * zoomFactor(step), 800);
    EXPECT_GT((3000 + 102 + 96) * zoomFactor(step + 1), 800);
    const std::vector<Point> huge{{0, 0}, {1000000, 0}};
    EXPECT_EQ(fittingZoomStep(huge, {800, 600}), minZoomStep);
}

// Through the widget: the wheel zooms around the cursor, and clicks hit what is drawn there.
TEST(CanvasZoomTest, TheWheelZoomsAroundTheCursorAndHitsFollow) {
    Material material{Material::Empty{}};
    QUndoStack stack;
    NodesView view{material, stack};
    view.resize(800, 600);
    VisualNode& node = material.addNode("n", nodeTypes[1], {8, 8}, {300, 200});
    const auto wheel = [&](QPoint at, int notches) {
        QWheelEvent event(at, view.mapToGlobal(at), {}, {0, 120 * notches}, Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &event);
    };
    wheel({350, 250}, 4); // on the node, 2x
    EXPECT_DOUBLE_EQ(view.getZoom(), 2.0);
    click(view, Qt::LeftButton, {350, 250});
    EXPECT_EQ(view.selectedNode(), &node);
    // Its box (canvas 300 .. 402 across) now spans pixels 250 .. 454 around the fixed point 350.
    click(view, Qt::LeftButton, {440, 250});
    EXPECT_EQ(view.selectedNode(), &node);
    click(view, Qt::LeftButton, {460, 250});
    EXPECT_EQ(view.selectedNode(), nullptr);
    wheel({350, 250}, -12); // 1/4
    click(view, Qt::LeftButton, {350 + 30, 250});
    EXPECT_EQ(view.selectedNode(), nullptr); // beyond the quartered box
    view.showActualSize();
    EXPECT_DOUBLE_EQ(view.getZoom(), 1.0);
    EXPECT_EQ(stack.count(), 0); // zooming is no edit
}
