#include "core/operators/Checkboard.h"
#include "core/operators/Mixer.h"
#include "core/operators/SubPlasma.h"
#include "core/operators/Text.h"
#include "core/parallel/Parallel.h"
#include "model/Material.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr Velvor::Pixel untouched = 0x12345678u;

// Raises the flag at the node's line, which one thread reports just before that operator runs.
class RaiseAtNode : public NullProgress {
public:
    explicit RaiseAtNode(std::atomic<bool>& flag) : flag_(flag) {}
    void message(const std::string& text) override {
        if (text == "> node node") {
            flag_ = true;
        }
    }

private:
    std::atomic<bool>& flag_;
};

// Rows of the image holding any pixel other than `untouched`.
int rowsWritten(const Velvor::Image& image) {
    int rows = 0;
    for (int r = 0; r < image.getHeight(); ++r) {
        const Velvor::Pixel* row = image.row(r);
        rows +=
            std::any_of(row, row + image.getWidth(), [](Velvor::Pixel p) { return p != untouched; }) ? 1 : 0;
    }
    return rows;
}

struct Case {
    const char* name;
    int typeId;
    std::function<void(Velvor::Operator&)> configure;
};

template <class Op> std::function<void(Velvor::Operator&)> with(std::function<void(Op&)> set) {
    return [set](Velvor::Operator& op) { set(dynamic_cast<Op&>(op)); };
}

// The node under test ("node"), fed by a plasma and a checkerboard, feeding a collector unless it
// is one.
VisualNode& build(Material& material, const Case& c, Point size) {
    VisualNode& node = material.addNode("node", *findNodeType(c.typeId), size);
    for (int port = 0; port < node.getInputCount(); ++port) {
        material.connect(material.addNode("source", *findNodeType(port == 0 ? 3 : 1), size), -1, node, port);
    }
    if (c.typeId != 0) {
        material.connect(node, -1, material.addNode("out", *findNodeType(0), size), 0);
    }
    if (c.configure) {
        c.configure(node.getOperator());
    }
    return node;
}

} // namespace

// Every operator type works in bands of rows: banded on one or two threads under a cancel scope, its
// pixels equal the render in one piece; once the flag is up, it writes at most one band of rows,
// returns, and the render leaves its node dirty. Sizes leave a short last band.
TEST(OperatorCancelTest, EveryOperatorStopsWithinABandAndBandsChangeNoPixel) {
    using Velvor::Mixer;
    const Case cases[] = {
        {"Collector", 0, {}},
        {"Checkerboard", 1, with<Velvor::Checkboard>([](auto& op) { op.blocks = 3; })},
        {"Mixer Add", 2, {}},
        {"Mixer Hue", 2, with<Mixer>([](auto& op) { op.type = Mixer::Hue; })},
        {"Mixer of an unknown blend", 2, with<Mixer>([](auto& op) { op.type = 9; })},
        {"Subplasma, lattice not dividing the height", 3, {}},
        {"Subplasma, every pixel a lattice point", 3, with<Velvor::SubPlasma>([](auto& op) { op.grid = 7; })},
        {"Displacement", 4, {}},
        {"Text as tall as the image", 5, with<Velvor::Text>([](auto& op) {
             op.x = 0;
             op.y = 0;
             op.fontsize = 4096;
             op.setText("Wg");
         })},
        {"NormalMap", 6, {}},
    };
    const Point size{128, 300};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Material material(Material::Empty{});
        VisualNode& node = build(material, c, size);
        Velvor::Image& image = node.getOperator().getImage();
        NullProgress quiet;
        std::vector<Velvor::Pixel> whole;
        {
            // One thread and no cancel scope: every pass in one piece.
            const Velvor::ThreadCountScope one(1);
            ASSERT_TRUE(material.renderAll(quiet));
            whole.assign(image.getPixels(), image.getPixels() + image.getPixelCount());
        }
        for (const int threads : {1, 2}) {
            SCOPED_TRACE(testing::Message() << threads << " threads");
            const Velvor::ThreadCountScope scope(threads);
            std::atomic<bool> flag{false};
            image.fill(untouched);
            node.markDirty();
            ASSERT_TRUE(material.renderAll(quiet, RenderControl{&flag}));
            EXPECT_TRUE(std::equal(whole.begin(), whole.end(), image.getPixels()));

            image.fill(untouched);
            node.markDirty();
            if (threads == 1) {
                RaiseAtNode raising(flag);
                EXPECT_FALSE(material.renderAll(raising, RenderControl{&flag}));
                EXPECT_TRUE(node.isDirty());
            } else {
                // Threads report a node's line after its operator ran, so the operator runs here.
                flag = true;
                const Velvor::CancelScope cancel(&flag);
                node.update();
            }
            EXPECT_LE(rowsWritten(image), Velvor::rowsPerBand(size.x));
        }
    }
}
