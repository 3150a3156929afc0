#include "gui/closeup/CloseUpGeometry.h"

#include <gtest/gtest.h>
#include <random>

TEST(CloseUpGeometryTest, WheelStepsFollowTheLadderAndStopAtItsEnds) {
    const struct {
        double from;
        int notches;
        double to;
    } steps[] = {{1.0, 1, 1.5},   {1.0, 2, 2.0},  {1.0, -1, 2.0 / 3}, {1.0, -2, 0.5},
                 {2.5, 1, 3.0},   {2.5, -1, 2.0}, {32.0, 1, 32.0},    {1.0 / 16, -3, 1.0 / 16},
                 {1.0, 40, 32.0}, {0.7, 0, 0.7},  {100.0, -1, 32.0},  {1.0 / 3, 1, 0.5}};
    for (const auto& step : steps) {
        EXPECT_DOUBLE_EQ(zoomStep(step.from, step.notches), step.to) << step.from << " by " << step.notches;
    }
}

// Whatever the transform and the new zoom, the picture point under the anchor stays there.
TEST(CloseUpGeometryTest, ZoomAroundKeepsThePointUnderTheAnchor) {
    std::mt19937 random(3);
    std::uniform_real_distribution<double> place(-500.0, 500.0);
    for (int i = 0; i < 200; ++i) {
        const ViewTransform before{zoomStep(1.0, static_cast<int>(random() % 19) - 9), place(random),
                                   place(random)};
        const ViewPoint anchor{place(random), place(random)};
        const ViewTransform after =
            zoomAround(before, zoomStep(before.zoom, static_cast<int>(random() % 5) - 2), anchor);
        const ViewPoint held = toPicture(before, anchor);
        const ViewPoint back = toWidget(after, held);
        EXPECT_NEAR(back.x, anchor.x, 1e-9);
        EXPECT_NEAR(back.y, anchor.y, 1e-9);
    }
    EXPECT_DOUBLE_EQ(zoomAround({}, 1000.0, {0, 0}).zoom, maximumZoom);
}

TEST(CloseUpGeometryTest, FitCentresTheWholePicture) {
    const struct {
        int width, height, viewWidth, viewHeight;
        ViewTransform expected;
    } cases[] = {{256, 256, 600, 350, {350.0 / 256, (600 - 350) / 2.0, 0.0}},
                 {100, 50, 100, 100, {1.0, 0.0, 25.0}},
                 {2, 2, 600, 600, {32.0, 268.0, 268.0}},           // held to the largest zoom
                 {16000, 16, 500, 500, {1.0 / 16, -250.0, 249.5}}, // held to the smallest
                 {0, 10, 100, 100, {}}};
    for (const auto& c : cases) {
        const ViewTransform fit = fitTransform(c.width, c.height, c.viewWidth, c.viewHeight);
        EXPECT_DOUBLE_EQ(fit.zoom, c.expected.zoom) << c.width << "x" << c.height;
        EXPECT_DOUBLE_EQ(fit.panX, c.expected.panX) << c.width << "x" << c.height;
        EXPECT_DOUBLE_EQ(fit.panY, c.expected.panY) << c.width << "x" << c.height;
    }
}

// Widget pixels of a 4 x 3 picture under several transforms: the pixel named, or none.
TEST(CloseUpGeometryTest, WidgetPixelsNameImagePixels) {
    const struct {
        ViewTransform transform;
        bool tiled, seamCheck;
        int x, y;
        std::optional<PixelPlace> expected; // row counted from the bottom
    } cases[] = {
        {{}, false, false, 0, 0, PixelPlace{0, 2}},
        {{}, false, false, 3, 2, PixelPlace{3, 0}},
        {{}, false, false, 4, 0, std::nullopt},
        {{}, true, false, 4, 0, PixelPlace{0, 2}},
        {{}, true, false, 9, 7, PixelPlace{1, 1}},
        {{4.0, 10.0, 20.0}, false, false, 10, 20, PixelPlace{0, 2}},
        {{4.0, 10.0, 20.0}, false, false, 13, 23, PixelPlace{0, 2}},
        {{4.0, 10.0, 20.0}, false, false, 14, 24, PixelPlace{1, 1}},
        {{4.0, 10.0, 20.0}, false, false, 9, 20, std::nullopt},
        {{4.0, 10.0, 20.0}, true, false, 9, 19, PixelPlace{3, 0}},
        {{0.5, 0.0, 0.0}, false, false, 1, 0, PixelPlace{3, 1}},
        {{}, false, true, 0, 0, PixelPlace{2, 1}}, // moved by (2, 1): the seam between columns 3 and 0
        {{}, false, true, 2, 2, PixelPlace{0, 2}},
        {{}, true, true, -1, -1, PixelPlace{1, 2}},
        {{2.0, -3.0, 0.0}, true, true, 0, 0, PixelPlace{3, 1}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(pixelAt(c.transform, {4, 3, c.tiled, c.seamCheck}, c.x, c.y), c.expected)
            << "zoom " << c.transform.zoom << " pan " << c.transform.panX << "," << c.transform.panY << " at "
            << c.x << "," << c.y << (c.tiled ? " tiled" : "") << (c.seamCheck ? " seam" : "");
    }
    EXPECT_EQ(sampleIndex(5.5, 8, false, false, 2), 1); // a picture scaled to 2 samples
    EXPECT_EQ(sampleIndex(-0.5, 8, true, false, 4), 3);
}
