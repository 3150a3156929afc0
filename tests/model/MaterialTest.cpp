#include "model/Material.h"

#include "base/Exception.h"
#include "model/OperatorNodes.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

std::string messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.getMessage();
    }
    return "no exception";
}

VisualNode& addOfType(Material& material, int typeId, Point size, const std::string& name = "Unnamed") {
    return material.addNode(name, *findNodeType(typeId), size);
}

} // namespace

TEST(MaterialTest, NewMaterialHoldsTheFiveCollectorsInSlotOrder) {
    Material material;
    ASSERT_EQ(material.getNodeCount(), 5u);
    EXPECT_EQ(material.getCableCount(), 0u);
    const char* names[] = {"Diffuse map", "Reflection map", "Reflection mask", "Normal map", "Specular map"};
    const int slots[] = {0, 1, 2, 4, 3};
    const Point positions[] = {{50, 50}, {215, 125}, {215, 290}, {50, 215}, {50, 380}};
    for (std::size_t i = 0; i < 5; ++i) {
        const VisualNode& node = material.getNode(i);
        EXPECT_EQ(node.getName(), names[i]);
        EXPECT_EQ(node.getTypeId(), 0);
        EXPECT_EQ(node.getSize(), (Point{256, 256}));
        EXPECT_EQ(node.getPosition(), positions[i]);
        EXPECT_EQ(dynamic_cast<const Operators::Collector&>(node).getTypedOperator().index, slots[i]);
        EXPECT_EQ(material.findNodeIndex(&node), i);
    }
    material.clear();
    EXPECT_EQ(material.getNodeCount(), 0u);
}

TEST(MaterialTest, AddNodeSpawnsAndNodeAtFindsTheTopmost) {
    Material material;
    material.clear();
    VisualNode& first = addOfType(material, 1, {8, 8});
    VisualNode& second = addOfType(material, 3, {8, 8});
    EXPECT_EQ(first.getPosition(), (Point{10, 10}));
    EXPECT_EQ(second.getTypeName(), "Subplasma");
    EXPECT_TRUE(second.isDirty());
    EXPECT_EQ(material.nodeAt({10, 10}), &second);
    material.moveNode(second.getId(), {60, 10});
    EXPECT_EQ(material.nodeAt({59, 10}), &first);
    EXPECT_EQ(material.nodeAt({162, 10}), nullptr);
    EXPECT_EQ(material.findNodeIndex(nullptr), std::nullopt);
}

TEST(MaterialTest, CanConnectAppliesItsRulesInOrder) {
    Material material;
    VisualNode& diffuse = material.getNode(0);
    VisualNode& reflection = material.getNode(1);
    VisualNode& board = addOfType(material, 1, {256, 256});
    VisualNode& otherBoard = addOfType(material, 1, {256, 256});
    VisualNode& small = addOfType(material, 1, {128, 256});
    VisualNode& mixer = addOfType(material, 2, {256, 256});

    EXPECT_FALSE(material.canConnect(board, -1, diffuse, -1)); // two outputs
    EXPECT_FALSE(material.canConnect(mixer, 0, diffuse, 0));   // two inputs
    EXPECT_FALSE(material.canConnect(mixer, -1, mixer, 0));    // a node feeding itself
    EXPECT_FALSE(material.canConnect(small, -1, diffuse, 0));  // sizes differ
    EXPECT_FALSE(material.canConnect(board, -1, mixer, 2));    // no such port
    EXPECT_FALSE(material.canConnect(diffuse, 0, small, -1));  // the same, input side first
    EXPECT_FALSE(material.canConnect(diffuse, -5, board, -1)); // a bad port is refused, not raised

    ASSERT_NE(material.connect(board, -1, diffuse, 0), nullptr);
    EXPECT_FALSE(material.canConnect(diffuse, 0, otherBoard, -1)); // input taken, input side first
    EXPECT_FALSE(material.canConnect(otherBoard, -1, diffuse, 0)); // input taken
    EXPECT_TRUE(material.canConnect(otherBoard, -1, reflection, 0));
    EXPECT_TRUE(material.canConnect(reflection, 0, otherBoard, -1));
    // Outputs are not its business: a collector passes, connect refuses it.
    EXPECT_TRUE(material.canConnect(diffuse, -1, reflection, 0));
    EXPECT_EQ(material.connect(diffuse, -1, reflection, 0), nullptr);
}

TEST(MaterialTest, ConnectRefusesSilentlyWhatWouldBreakTheGraph) {
    Material material;
    VisualNode& diffuse = material.getNode(0);
    VisualNode& board = addOfType(material, 1, {256, 256});
    VisualNode& otherBoard = addOfType(material, 1, {256, 256});
    VisualNode& mixer = addOfType(material, 2, {64, 64});

    const Cable* first = material.connect(diffuse, 0, board, -1);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(&first->getFrom(), &board);
    EXPECT_EQ(&first->getTo(), &diffuse);
    EXPECT_EQ(first->getToPort(), 0);

    EXPECT_EQ(material.connect(otherBoard, -1, diffuse, 0), nullptr); // occupied: the first stays
    EXPECT_EQ(material.connect(mixer, -1, mixer, 1), nullptr);        // itself
    EXPECT_EQ(material.connect(board, -1, mixer, 2), nullptr);        // beyond the input ports
    EXPECT_EQ(material.connect(board, -1, mixer, -3), nullptr);
    EXPECT_EQ(material.connect(board, 4, mixer, -1), nullptr);
    EXPECT_EQ(material.connect(board, -1, otherBoard, 0), nullptr); // no inputs at all
    EXPECT_EQ(material.connect(board, 0, mixer, 1), nullptr);
    Operators::Collector stranger("s", {}, {256, 256});
    EXPECT_EQ(material.connect(board, -1, stranger, 0), nullptr);
    ASSERT_EQ(material.getCableCount(), 1u);
    EXPECT_EQ(&material.getCable(0), first);

    // Sizes are not compared: the file loader relies on that.
    EXPECT_NE(material.connect(board, -1, mixer, 0), nullptr);
    EXPECT_TRUE(material.isPortConnected(mixer, 0));
    EXPECT_FALSE(material.isPortConnected(mixer, 1));
    EXPECT_EQ(messageOf([&] { (void)material.isPortConnected(mixer, -1); }), "Port must be >= 0");
}

TEST(MaterialTest, RemovingANodeRemovesItsCablesFirst) {
    Material material;
    VisualNode& diffuse = material.getNode(0);
    VisualNode& reflection = material.getNode(1);
    VisualNode& a = addOfType(material, 1, {256, 256});
    VisualNode& b = addOfType(material, 3, {256, 256});
    VisualNode& mixer = addOfType(material, 2, {256, 256});
    material.connect(a, -1, mixer, 0);
    material.connect(b, -1, reflection, 0);
    material.connect(b, -1, mixer, 1);
    material.connect(mixer, -1, diffuse, 0);
    ASSERT_EQ(material.getCableCount(), 4u);

    material.removeNode(&mixer);
    ASSERT_EQ(material.getCableCount(), 1u);
    EXPECT_EQ(&material.getCable(0).getTo(), &reflection);
    EXPECT_EQ(material.getNodeCount(), 7u);
    EXPECT_FALSE(material.isPortConnected(diffuse, 0));
    EXPECT_EQ(messageOf([&] { material.removeNode(&mixer); }),
              "Could not delete node, node not found in material!");
    EXPECT_EQ(material.getNodeCount(), 7u);

    const Cable* cable = &material.getCable(0);
    material.removeCable(cable);
    EXPECT_EQ(messageOf([&] { material.removeCable(cable); }),
              "Could not delete cable, cable not found in material!");
    EXPECT_EQ(material.getCableCount(), 0u);

    // Collectors may go too.
    material.removeNode(&diffuse);
    EXPECT_EQ(material.getNode(0).getName(), "Reflection map");
}
