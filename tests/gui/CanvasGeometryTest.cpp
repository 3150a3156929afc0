#include "gui/canvas/CanvasGeometry.h"

#include <climits>
#include <gtest/gtest.h>
#include <vector>

// Box (0, 0, 102, 102): middle row 51. Output: 102 - 15 .. 102 - 4 across, 51 - 5 .. 51 + 5 down.
// Inputs: the first starts at 51 - 13n/2 (rounded toward zero), each 13 below the one before.
TEST(CanvasGeometryTest, PortRectsStackAroundTheMiddleRow) {
    EXPECT_EQ(portRect(-1, 0), (Rect{87, 46, 98, 56}));
    EXPECT_EQ(portRect(-1, 2), (Rect{87, 46, 98, 56}));
    EXPECT_EQ(portRect(0, 1), (Rect{4, 45, 15, 56}));
    EXPECT_EQ(portRect(0, 2), (Rect{4, 38, 15, 49}));
    EXPECT_EQ(portRect(1, 2), (Rect{4, 51, 15, 62}));
}

TEST(CanvasGeometryTest, PortHitsIncludeLeftAndTopEdgesOnly) {
    EXPECT_EQ(portAt({87, 46}, true, 0)->port, -1);
    EXPECT_FALSE(portAt({98, 50}, true, 0));
    EXPECT_FALSE(portAt({90, 56}, true, 0));
    EXPECT_FALSE(portAt({90, 50}, false, 1)); // a collector has no output
    EXPECT_EQ(portAt({14, 61}, true, 2)->port, 1);
    EXPECT_EQ(portAt({14, 61}, true, 2)->rect, (Rect{4, 51, 15, 62}));
    EXPECT_FALSE(portAt({10, 30}, true, 2));
    EXPECT_FALSE(portAt({10, 50}, true, 0)); // no inputs
}

TEST(CanvasGeometryTest, FirstGridLineKeepsCanvasMultiplesOf32) {
    EXPECT_EQ(firstGridLine(0), 32);
    EXPECT_EQ(firstGridLine(-5), 27);
    EXPECT_EQ(firstGridLine(37), 5);
    EXPECT_EQ(firstGridLine(-64), 32);
    EXPECT_EQ(firstGridLine(32), 0);
}

// Output centre (92, 51) of a box at (0, 0) to input 1 of 2, centre (9, 56), of a box at (300, 40).
// Middle key: x (92 + 309) / 2 = 200, y 73.5 + 20 + 50 / 1.045 / 1.217 = 132.8, truncated to 132.
TEST(CanvasGeometryTest, CableRunsFromOutputCentreToInputCentre) {
    const CableCurve curve = cableCurveBetween({0, 0}, {300, 40}, 1, 2);
    EXPECT_EQ(curve.front(), (Point{92, 51}));
    EXPECT_NEAR(curve[49].x, 200, 1);
    EXPECT_NEAR(curve[49].y, 132, 1);
    EXPECT_NEAR(curve.back().x, 309, 1);
    EXPECT_NEAR(curve.back().y, 96, 1);
}

TEST(CanvasGeometryTest, CableHitsWithinEightPixelsOfAllButTheLastPoint) {
    CableCurve far{};
    far.fill({5000, 5000});
    CableCurve first = far;
    first[10] = {100, 100};
    CableCurve second = far;
    second[0] = {103, 100};
    second[98] = {300, 300};
    const std::vector<CableCurve> curves{first, second};

    EXPECT_EQ(cableAt(curves, {108, 100}), 0u); // 8 from the first: the first in order wins
    EXPECT_EQ(cableAt(curves, {111, 100}), 1u); // 11 from the first, 8 from the second
    EXPECT_FALSE(cableAt(curves, {112, 100}));
    EXPECT_EQ(cableAt(curves, {94, 95}), 0u);  // 6, 5: 61
    EXPECT_FALSE(cableAt(curves, {94, 94}));   // 6, 6: 72
    EXPECT_FALSE(cableAt(curves, {300, 300})); // the last point is not looked at
    CableCurve edge{};
    edge.fill({INT_MIN, INT_MIN});
    EXPECT_FALSE(cableAt(std::vector{edge}, {INT_MAX, INT_MAX}));
}

TEST(CanvasGeometryTest, ACableGoesThroughABoxOnlyThroughItsMiddle) {
    CableCurve far{};
    far.fill({5000, 5000});
    CableCurve crossing = far;
    crossing[40] = {125, 125}; // a box at (100, 100): its middle is 125 .. 152
    CableCurve grazing = far;
    grazing[40] = {124, 190};
    const std::vector<CableCurve> curves{grazing, crossing};
    EXPECT_EQ(cableThroughBox(curves, {100, 100}), 1u);
    EXPECT_EQ(cableThroughBox(curves, {99, 165}), 0u);
    EXPECT_FALSE(cableThroughBox(curves, {126, 126}));
    EXPECT_FALSE(cableThroughBox(curves, {INT_MAX, INT_MAX}));
}

TEST(CanvasGeometryTest, ReorientCentresTheBoundingBoxOfTheBoxes) {
    EXPECT_FALSE(reorientedPanning({}, {800, 600}));
    // One box: its centre (position + 51) lands on the view centre.
    const std::vector<Point> one{{100, -40}};
    EXPECT_EQ(reorientedPanning(one, {800, 600}), (Point{400 - 151, 300 - 11}));
    // Box corners span (0, 0) .. (602, 302): centre (301, 151).
    const std::vector<Point> two{{500, 0}, {0, 200}};
    EXPECT_EQ(reorientedPanning(two, {801, 401}), (Point{400 - 301, 200 - 151}));
    // Far positions: the centre is worked out in 64 bits, the panning held to the 32-bit range.
    const std::vector<Point> extreme{{INT_MAX, INT_MIN}};
    EXPECT_EQ(reorientedPanning(extreme, {0, 0}), (Point{INT_MIN, INT_MAX - 50}));
}
