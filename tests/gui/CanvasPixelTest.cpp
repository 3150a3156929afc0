#include "CanvasDriver.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

class CanvasPixelTest : public testing::Test {
protected:
    CanvasPixelTest() { view.resize(640, 480); }

    QRgb pixel(Point p) { return view.grab().toImage().pixel(p.x, p.y) & 0xFFFFFF; }
    QImage picture() { return view.grab().toImage(); }

    Material material{Material::Empty{}};
    QUndoStack stack;
    NodesView view{material, stack};
    const QRgb background = view.palette().color(QPalette::Base).rgb() & 0xFFFFFF;
};

constexpr QRgb grid = 0xBEBEBE;

} // namespace

// Panned by (-5, 10): columns at 27 + 32k, rows at 10 + 32k. The cross at (187, 74) is clear of the
// logo; it spans two pixels each way from its centre.
TEST_F(CanvasPixelTest, GridCrossesFollowThePanning) {
    drag(view, {300, 300}, {295, 310});
    const QImage image = picture();
    const auto at = [&](int x, int y) { return image.pixel(x, y) & 0xFFFFFF; };
    for (int d = -2; d <= 2; ++d) {
        EXPECT_EQ(at(187 + d, 74), grid) << d;
        EXPECT_EQ(at(187, 74 + d), grid) << d;
    }
    EXPECT_EQ(at(184, 74), background);
    EXPECT_EQ(at(190, 74), background);
    EXPECT_EQ(at(187, 77), background);
    EXPECT_EQ(at(188, 75), background);
    EXPECT_EQ(at(187 + 32, 74 + 32), grid);
}

// The outline's 5-pixel pen runs along a path 2 pixels outside the box: black from 4 pixels out.
TEST_F(CanvasPixelTest, TheSelectedNodeIsOutlined) {
    const VisualNode& node = material.addNode("n", nodeTypes[1], {8, 8}, {300, 200});
    EXPECT_EQ(pixel({296, 250}), background);
    view.selectNode(node);
    const QImage image = picture();
    for (const Point p :
         {Point{296, 250}, Point{299, 250}, Point{350, 196}, Point{405, 250}, Point{350, 305}}) {
        EXPECT_EQ(image.pixel(p.x, p.y) & 0xFFFFFF, 0u) << p.x << "," << p.y;
    }
    EXPECT_EQ(image.pixel(295, 250) & 0xFFFFFF, background);
    EXPECT_EQ(image.pixel(406, 250) & 0xFFFFFF, background);
}

// A cable between two boxes side by side sags to its lowest point midway: the inner stroke lies on
// that sample, the middle stroke just below it.
TEST_F(CanvasPixelTest, CablesShowTheirInnerAndMiddleStrokes) {
    VisualNode& source = material.addNode("a", nodeTypes[1], {8, 8}, {100, 100});
    VisualNode& target = material.addNode("b", nodeTypes[0], {8, 8}, {400, 100});
    material.connect(source, -1, target, 0);
    // Output centre (192, 151), input centre (409, 150).
    const CableCurve curve = cableCurve({192, 151}, {409, 150});
    const Point low = curve[49];
    EXPECT_EQ(pixel(low), 0xFFEBEBu);
    EXPECT_EQ(pixel({low.x, low.y + 1}), 0xBB2828u);
}
