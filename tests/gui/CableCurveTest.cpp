#include "gui/canvas/CableCurve.h"

#include <climits>
#include <gtest/gtest.h>

// Ends (0, 0) and (200, 0): middle key (100, 20 + 50 / 1.2 = 61), tangents 0.77 x 100 = 77,
// 77 + 0.63 x 100 = 140, 63 for x and 0.77 x 61 = 46.97, 46.97 - 38.43 = 8.54, -38.43 for y.
TEST(CableCurveTest, SamplesTheSplineThroughTheSaggingMiddleKey) {
    const CableCurve curve = cableCurve({0, 0}, {200, 0});
    EXPECT_EQ(curve.front(), (Point{0, 0}));
    // Sample 14: t = 1/7, s = 2/7, so h00 = 0.80175, h10 = 0.14577, h11 = -0.05831:
    // x = 0.19825 x 100 + 0.14577 x 77 - 0.05831 x 140 = 22.89, y = 0.19825 x 61 + 0.14577 x 46.97
    // - 0.05831 x 8.54 = 18.44.
    EXPECT_EQ(curve[14], (Point{22, 18}));
    // Sample 49: t falls just short of 0.5 in single precision, so the middle key is approached from
    // below and truncated to one less; likewise the end.
    EXPECT_EQ(curve[49], (Point{99, 60}));
    EXPECT_EQ(curve.back(), (Point{199, 0}));
}

TEST(CableCurveTest, SagsLessTheFartherApartTheEndsAre) {
    // Coinciding ends: the middle key lies the full 20 + 50 pixels below them.
    EXPECT_EQ(cableCurve({5, 5}, {5, 5})[49].y, 74);
    // 1000 pixels apart across and down: 20 + 50 / 2 / 2 = 32.5 below the midpoint (500, 500).
    EXPECT_EQ(cableCurve({0, 0}, {1000, 1000})[49], (Point{499, 531}));
}

// INT_MAX becomes 2^31 in single precision, one past the range: it must be held, not converted (the
// sanitizer build reports such a conversion).
TEST(CableCurveTest, FarEndsStayWithinTheIntegerRange) {
    const CableCurve curve = cableCurve({INT_MIN, INT_MAX}, {INT_MAX, INT_MIN});
    EXPECT_EQ(curve.front(), (Point{INT_MIN, INT_MAX}));
    EXPECT_EQ(cableCurve({0, INT_MAX}, {0, INT_MAX})[49].y, INT_MAX); // the sag would go past the range
}
