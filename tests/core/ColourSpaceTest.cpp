#include "core/ColourSpace.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <limits>

using Velvor::hsvToRgb;
using Velvor::makePixel;
using Velvor::Pixel;
using Velvor::rgbToHsv;

namespace {

Pixel fromHsv(float h, float s, float v, Pixel start = 0) {
    Pixel target = start;
    hsvToRgb(h, s, v, target);
    return target;
}

void expectHsv(Pixel pixel, float h, float s, float v) {
    const Velvor::Hsv hsv = rgbToHsv(pixel);
    EXPECT_NEAR(hsv.hue, h, 1e-3) << std::hex << pixel;
    EXPECT_NEAR(hsv.saturation, s, 1e-3) << std::hex << pixel;
    EXPECT_NEAR(hsv.value, v, 1e-3) << std::hex << pixel;
}

} // namespace

TEST(ColourSpaceTest, RgbToHsvPlacesPrimariesAThirdOfATurnApart) {
    expectHsv(0x00FF0000u, 0.0f, 255.0f, 255.0f);
    expectHsv(0x0000FF00u, 85.0f, 255.0f, 255.0f);  // sector 2 * 42.5
    expectHsv(0x000000FFu, 170.0f, 255.0f, 255.0f); // sector 4 * 42.5
    // Magenta: red is the largest (tested first), (G - B) / d = -1, so -42.5 wraps to 212.5.
    expectHsv(0x00FF00FFu, 212.5f, 255.0f, 255.0f);
    expectHsv(0x00C86464u, 0.0f, 127.5f, 200.0f); // (200, 100, 100): S = 100 / 200 * 255
    expectHsv(0xFF646464u, 0.0f, 0.0f, 100.0f);   // grey: no saturation, no hue; alpha ignored
    expectHsv(0x00000000u, 0.0f, 0.0f, 0.0f);
}

TEST(ColourSpaceTest, HsvToRgbFollowsTheSectorTable) {
    // A quarter into each sector with full saturation and V = 200: P = 0, Q = 150, T = 50.
    const Pixel expected[6] = {
        makePixel(0, 200, 50, 0),  // (V, T, P)
        makePixel(0, 150, 200, 0), // (Q, V, P)
        makePixel(0, 0, 200, 50),  // (P, V, T)
        makePixel(0, 0, 150, 200), // (P, Q, V)
        makePixel(0, 50, 0, 200),  // (T, P, V)
        makePixel(0, 200, 0, 150), // (V, P, Q)
    };
    for (int sector = 0; sector < 6; ++sector) {
        const float hue = 42.5f * static_cast<float>(sector) + 10.625f;
        EXPECT_EQ(fromHsv(hue, 255.0f, 200.0f), expected[sector]) << "sector " << sector;
    }
    // Half saturation: P = V / 2.
    EXPECT_EQ(fromHsv(0.0f, 127.5f, 200.0f), makePixel(0, 200, 100, 100));
    EXPECT_EQ(fromHsv(123.0f, 0.0f, 77.0f), makePixel(0, 77, 77, 77));
}

TEST(ColourSpaceTest, HsvToRgbKeepsAlphaClampsAndWrapsTheHue) {
    EXPECT_EQ(fromHsv(0.0f, 0.0f, 100.0f, 0xAB123456u), 0xAB646464u);
    // Above 255 clamps before truncation.
    EXPECT_EQ(fromHsv(0.0f, 0.0f, 300.0f), 0x00FFFFFFu);
    EXPECT_EQ(fromHsv(0.0f, 0.0f, 99.9f), 0x00636363u);
    // Whole turns either way land on the same colour.
    const Pixel reference = fromHsv(10.625f, 255.0f, 200.0f);
    EXPECT_EQ(fromHsv(10.625f - 255.0f, 255.0f, 200.0f), reference);
    EXPECT_EQ(fromHsv(10.625f + 3.0f * 255.0f, 255.0f, 200.0f), reference);
    EXPECT_EQ(fromHsv(10.625f - 40.0f * 255.0f, 255.0f, 200.0f), reference);
    // A hue just below zero would round to a full turn when one turn is added.
    EXPECT_EQ(fromHsv(-1e-6f, 255.0f, 200.0f), fromHsv(0.0f, 255.0f, 200.0f));
    // Values no operator produces still end in a defined colour, without hanging.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(fromHsv(1e30f, 255.0f, 200.0f, 0x7F000000u) >> 24, 0x7Fu);
    EXPECT_EQ(fromHsv(nan, 255.0f, 200.0f), fromHsv(0.0f, 255.0f, 200.0f));
    EXPECT_EQ(fromHsv(0.0f, nan, nan), 0u);
    EXPECT_EQ(fromHsv(0.0f, 0.0f, -5.0f), 0u);
}

TEST(ColourSpaceTest, RoundTripReproducesColoursUpToTruncation) {
    for (unsigned red = 0; red < 256; red += 5) {
        for (unsigned green = 0; green < 256; green += 3) {
            for (unsigned blue = 0; blue < 256; blue += 7) {
                const Pixel original = makePixel(0x42, red, green, blue);
                const Velvor::Hsv hsv = rgbToHsv(original);
                const Pixel back = fromHsv(hsv.hue, hsv.saturation, hsv.value, 0x42000000u);
                ASSERT_EQ(back >> 24, 0x42u);
                ASSERT_LE(std::abs(static_cast<int>(Velvor::redOf(back)) - static_cast<int>(red)), 1)
                    << std::hex << original;
                ASSERT_LE(std::abs(static_cast<int>(Velvor::greenOf(back)) - static_cast<int>(green)), 1)
                    << std::hex << original;
                ASSERT_LE(std::abs(static_cast<int>(Velvor::blueOf(back)) - static_cast<int>(blue)), 1)
                    << std::hex << original;
            }
        }
    }
}
