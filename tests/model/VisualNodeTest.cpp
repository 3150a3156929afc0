#include "base/Exception.h"
#include "model/Material.h"
#include "model/OperatorNodes.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

// A type the catalogue does not know.
class StrangeOperator : public Velvor::Operator {
public:
    StrangeOperator() : Operator(static_cast<Velvor::OperatorType>(42), 0, 1, 1) {}
    void generate(const Velvor::Image* const*) override {}
};

class StrangeNode : public VisualNode {
public:
    StrangeNode() : VisualNode("odd", {}, std::make_unique<StrangeOperator>()) {}
};

} // namespace

TEST(VisualNodeTest, TypeNameOfAnUnknownTypeRaises) {
    StrangeNode node;
    try {
        (void)node.getTypeName();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.getMessage(), "Could not find a typename for visualnode.");
    }
}

TEST(VisualNodeTest, AcceptsOnlyExistingInputPortsOfItsOwnSize) {
    Operators::Mixer mixer("m", {}, {256, 256});
    EXPECT_EQ(mixer.getSize(), (Point{256, 256}));
    EXPECT_TRUE(mixer.acceptsInput(0, {256, 256}));
    EXPECT_TRUE(mixer.acceptsInput(1, {256, 256}));
    EXPECT_FALSE(mixer.acceptsInput(-1, {256, 256}));
    EXPECT_FALSE(mixer.acceptsInput(2, {256, 256}));
    EXPECT_FALSE(mixer.acceptsInput(0, {256, 128}));
    EXPECT_FALSE(mixer.acceptsInput(0, {128, 256}));

    Operators::Checkboard board("b", {}, {4, 4});
    EXPECT_FALSE(board.acceptsInput(0, {4, 4}));
}

TEST(VisualNodeTest, HitTestCoversExactlyTheBox) {
    Operators::Checkboard board("b", {10, 20}, {4, 4});
    EXPECT_TRUE(board.hitTest({10, 20}));
    EXPECT_TRUE(board.hitTest({111, 121}));
    EXPECT_FALSE(board.hitTest({112, 20}));
    EXPECT_FALSE(board.hitTest({10, 122}));
    EXPECT_FALSE(board.hitTest({9, 20}));
    EXPECT_FALSE(board.hitTest({10, 19}));

    // A box that reaches past the integer range still answers correctly.
    Operators::Checkboard far("f", {INT_MAX - 5, INT_MIN}, {4, 4});
    EXPECT_TRUE(far.hitTest({INT_MAX, INT_MIN + 101}));
    EXPECT_FALSE(far.hitTest({INT_MAX - 6, INT_MIN}));
}

TEST(VisualNodeTest, NodesWithoutInputsGenerateOnEveryUpdateAndResizeMakesThemDirty) {
    Material material{Material::Empty{}};
    VisualNode& board = material.addNode("b", *findNodeType(1), {4, 4});
    board.update();
    EXPECT_FALSE(board.isDirty());
    EXPECT_EQ(board.getOperator().getImage().row(0)[0], Velvor::opaqueWhite);
    board.getOperator().getImage().fill(0);
    board.update(); // even when clean
    EXPECT_EQ(board.getOperator().getImage().row(0)[0], Velvor::opaqueWhite);

    material.resizeNode(board.getId(), {6, 2});
    EXPECT_TRUE(board.isDirty());
    EXPECT_EQ(board.getSize(), (Point{6, 2}));
    EXPECT_EQ(board.getOperator().getImage().row(0)[0], 0u);

    board.update();
    board.markDirty();
    EXPECT_TRUE(board.isDirty());
}

TEST(VisualNodeTest, UpdateNeedsEveryInputAndTheSameSize) {
    Operators::Checkboard board("b", {}, {4, 4});
    Operators::Checkboard small("s", {}, {2, 4});
    board.update();
    small.update();
    Operators::Collector collector("c", {}, {4, 4});

    collector.update(); // unconnected
    EXPECT_TRUE(collector.isDirty());

    collector.setInput(0, &small);
    collector.update(); // a collector would otherwise take over the smaller image
    EXPECT_TRUE(collector.isDirty());
    EXPECT_EQ(collector.getSize(), (Point{4, 4}));
    EXPECT_EQ(collector.getOperator().getImage().row(0)[0], 0u);

    collector.setInput(0, &board);
    collector.update();
    EXPECT_FALSE(collector.isDirty());
    EXPECT_EQ(collector.getOperator().getImage().row(0)[0], Velvor::opaqueWhite);

    collector.setInput(0, nullptr);
    collector.markDirty();
    collector.update();
    EXPECT_TRUE(collector.isDirty());

    EXPECT_THROW(collector.setInput(1, &board), Exception);
    EXPECT_THROW(collector.setInput(-1, &board), Exception);
}

TEST(VisualNodeTest, PackedRecordHeaderIsTypeAndLow16BitSizeThenTheBlock) {
    Operators::Mixer mixer("m", {}, {70000, 2});
    mixer.getTypedOperator().amountA = 1;
    mixer.getTypedOperator().amountB = -2;
    mixer.getTypedOperator().type = 3;
    std::vector<std::uint8_t> bytes{0xAA};
    mixer.writePacked(bytes);
    // 70000 = 0x11170: the low 16 bits are 0x1170.
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0xAA, 2, 0x70, 0x11, 2, 0, 1, 0, 0xFE, 0xFF, 3, 0}));
}
