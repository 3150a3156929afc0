#include "gui/preview/LitShading.h"

#include <gtest/gtest.h>

namespace {

Velvor::Image flat(Velvor::Pixel value) {
    Velvor::Image image(5, 5);
    image.fill(value);
    return image;
}

} // namespace

// A flat normal map (127, 127, 255) lit from straight above the centre pixel: N = (-1/255, -1/255, 1)
// normalised has N.L = 1 / sqrt(1 + 2 / 255^2) = 0.9999846; light = 0.2 + 0.8 * that = 0.9999877.
TEST(LitShadingTest, AFlatNormalMapLitFromAboveGivesTheDiffuseColourTimesTheLightTerm) {
    const Velvor::Image diffuse = flat(Velvor::makePixel(0, 200, 100, 0));
    const Velvor::Image normals = flat(Velvor::makePixel(0, 127, 127, 255));
    Velvor::Image out(1, 1);
    shadeLitPlane(diffuse, normals, nullptr, {2.0f, 2.0f, 50.0f}, out);
    ASSERT_TRUE(out.sameSizeAs(diffuse));
    // 200 * 0.9999877 = 199.9975 and 100 * 0.9999877 = 99.9988, truncated; opaque.
    EXPECT_EQ(out.row(2)[2], Velvor::makePixel(255, 199, 99, 0));

    // Lit from far to the right and low, the normal tilted towards the light (red 255) is brighter
    // than one tilted away (red 0).
    Velvor::Image towards = flat(Velvor::makePixel(0, 255, 127, 180));
    Velvor::Image away = flat(Velvor::makePixel(0, 0, 127, 180));
    Velvor::Image lit(1, 1);
    Velvor::Image dark(1, 1);
    shadeLitPlane(diffuse, towards, nullptr, {1000.0f, 2.0f, 10.0f}, lit);
    shadeLitPlane(diffuse, away, nullptr, {1000.0f, 2.0f, 10.0f}, dark);
    EXPECT_GT(Velvor::redOf(lit.row(2)[2]), Velvor::redOf(dark.row(2)[2]));
    // Facing away from the light leaves the ambient part: 200 * 0.2.
    EXPECT_EQ(Velvor::redOf(dark.row(2)[2]), 40u);
}

TEST(LitShadingTest, TheSpecularMapAddsAWhiteHighlightHeldTo255) {
    const Velvor::Image diffuse = flat(Velvor::makePixel(0, 100, 100, 100));
    const Velvor::Image normals = flat(Velvor::makePixel(0, 127, 127, 255));
    const Velvor::Image shiny = flat(Velvor::makePixel(0, 255, 255, 255));
    const Velvor::Image matte = flat(0);
    Velvor::Image out(1, 1);
    shadeLitPlane(diffuse, normals, &shiny, {2.0f, 2.0f, 50.0f}, out);
    EXPECT_EQ(out.row(2)[2], 0xFFFFFFFFu); // 99.99 + 255 * 0.9996 is past 255
    shadeLitPlane(diffuse, normals, &matte, {2.0f, 2.0f, 50.0f}, out);
    EXPECT_EQ(Velvor::redOf(out.row(2)[2]), 99u);
}
