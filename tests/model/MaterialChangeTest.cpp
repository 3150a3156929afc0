#include "base/Exception.h"
#include "model/Material.h"
#include "model/OperatorNodes.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

using Kind = MaterialChange::Kind;

std::string change(Kind kind, NodeId node, std::size_t index, const std::string& seen) {
    return std::to_string(static_cast<int>(kind)) + " " + std::to_string(static_cast<std::uint64_t>(node)) +
           " " + std::to_string(index) + " | " + seen;
}

// Each change heard, with what the material showed at that moment.
class Listener : public MaterialObserver {
public:
    explicit Listener(Material& material) : material_(material) { material.addObserver(this); }
    ~Listener() override { material_.removeObserver(this); }

    void materialChanged(const MaterialChange& heard) override {
        std::string seen = std::to_string(material_.getNodeCount()) + " nodes " +
                           std::to_string(material_.getCableCount()) + " cables";
        if (const VisualNode* node = material_.findNode(heard.node)) {
            seen += " " + node->getName() + " at " + std::to_string(node->getPosition().x) + " size " +
                    std::to_string(node->getSize().x);
        }
        heard_.push_back(change(heard.kind, heard.node, heard.index, seen));
    }

    std::vector<std::string> take() { return std::exchange(heard_, {}); }

private:
    Material& material_;
    std::vector<std::string> heard_;
};

using Heard = std::vector<std::string>;

} // namespace

// Each edit is heard once, by its own kind, with the change already in place; what is refused is not.
TEST(MaterialChangeTest, EveryEditIsHeardOnceAfterItHappened) {
    Material material;
    Listener listener(material);
    const NodeId diffuse = material.getNode(0).getId();
    VisualNode& board = material.addNode("Board", *findNodeType(1), {256, 256});
    const NodeId id = board.getId();
    EXPECT_EQ(listener.take(),
              Heard{change(Kind::NodeAdded, id, 5, "6 nodes 0 cables Board at 10 size 256")});
    material.moveNode(id, {70, -80});
    EXPECT_EQ(listener.take(),
              Heard{change(Kind::NodeMoved, id, 0, "6 nodes 0 cables Board at 70 size 256")});
    material.renameNode(id, "Chess");
    EXPECT_EQ(listener.take(),
              Heard{change(Kind::NodeRenamed, id, 0, "6 nodes 0 cables Chess at 70 size 256")});
    material.resizeNode(id, {16, 8});
    EXPECT_EQ(listener.take(),
              Heard{change(Kind::NodeResized, id, 0, "6 nodes 0 cables Chess at 70 size 16")});
    material.resizeNode(id, {256, 256});
    listener.take();

    board.update();
    material.setParameter(id, 0, 9);
    EXPECT_EQ(listener.take(),
              Heard{change(Kind::ParameterChanged, id, 0, "6 nodes 0 cables Chess at 70 size 256")});
    EXPECT_EQ(dynamic_cast<Operators::Checkboard&>(board).getTypedOperator().blocks, 9);
    EXPECT_TRUE(board.isDirty()); // its image no longer matches its parameters

    const RemovedCable cable = material.removeCable(material.connect(board, -1, material.getNode(0), 0));
    material.restoreCable(cable);
    const std::string diffuseSeen = " Diffuse map at 50 size 256";
    EXPECT_EQ(listener.take(),
              (Heard{change(Kind::CableAdded, diffuse, 0, "6 nodes 1 cables" + diffuseSeen),
                     change(Kind::CableRemoved, diffuse, 0, "6 nodes 0 cables" + diffuseSeen),
                     change(Kind::CableAdded, diffuse, 0, "6 nodes 1 cables" + diffuseSeen)}));

    // A node goes after its cables and comes back before them.
    material.restoreNode(material.removeNode(&board));
    EXPECT_EQ(listener.take(),
              (Heard{change(Kind::CableRemoved, diffuse, 0, "6 nodes 0 cables" + diffuseSeen),
                     change(Kind::NodeRemoved, id, 5, "5 nodes 0 cables"),
                     change(Kind::NodeAdded, id, 5, "6 nodes 0 cables Chess at 70 size 256"),
                     change(Kind::CableAdded, diffuse, 0, "6 nodes 1 cables" + diffuseSeen)}));

    EXPECT_EQ(material.connect(board, -1, material.getNode(0), 0), nullptr);
    Operators::Checkboard stranger("s", {}, {1, 1});
    EXPECT_THROW(material.removeNode(&stranger), Exception);
    EXPECT_THROW(material.moveNode(stranger.getId(), {}), Exception);
    EXPECT_THROW(material.resizeNode(id, {-1, 4}), Exception);
    EXPECT_THROW(material.setParameter(id, 1, 3), Exception);
    EXPECT_THROW(material.setParameter(id, 0, std::string("text")), Exception);
    EXPECT_TRUE(listener.take().empty());

    material.clear();
    EXPECT_EQ(listener.take(), Heard{change(Kind::Cleared, NodeId{}, 0, "0 nodes 0 cables")});
}

// Out of the material a node keeps what rebuilds it (parameters, size), not its picture.
TEST(MaterialChangeTest, ARestoredNodeKeepsItsOperatorStateAndARestoreThatNoLongerFitsChangesNothing) {
    Material material{Material::Empty{}};
    VisualNode& a = material.addNode("a", *findNodeType(1), {4, 4});
    VisualNode& plasma = material.addNode("p", *findNodeType(3), {4, 4});
    VisualNode& mixer = material.addNode("m", *findNodeType(2), {4, 4});
    material.connect(a, -1, mixer, 0);
    material.connect(plasma, -1, mixer, 1);
    material.setParameter(plasma.getId(), 1, 77);
    plasma.update();
    const Velvor::Pixel firstPixel = plasma.getOperator().getImage().row(0)[0];

    RemovedNode out = material.removeNode(&plasma);
    EXPECT_EQ(out.node->getOperator().getImage().getPixelCount(), 0);
    EXPECT_EQ(out.node->getSize(), (Point{4, 4}));
    VisualNode& restored = material.restoreNode(std::move(out));
    EXPECT_EQ(&restored, &plasma);
    EXPECT_TRUE(restored.isDirty());
    restored.update();
    EXPECT_EQ(restored.getOperator().getImage().row(0)[0], firstPixel);

    RemovedNode removed = material.removeNode(&plasma);
    material.connect(a, -1, mixer, 1); // takes the plasma's port
    EXPECT_THROW(material.restoreNode(std::move(removed)), Exception);
    EXPECT_NE(removed.node, nullptr);
    EXPECT_EQ(material.getNodeCount(), 2u);
    const RemovedCable cable = material.removeCable(&material.getCable(0));
    EXPECT_THROW(material.restoreCable(RemovedCable{cable.from, cable.to, cable.toPort, 2}), Exception);
    material.removeNode(&a);
    EXPECT_THROW(material.restoreCable(cable), Exception); // its source is gone
    EXPECT_EQ(material.getCableCount(), 0u);
}

// Content kept aside for an undo (a Clear, an import) holds no pictures either, and gets them back.
TEST(MaterialChangeTest, ContentKeptAsideGivesUpItsImages) {
    Material material;
    material.releaseImages();
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        EXPECT_EQ(material.getNode(i).getOperator().getImage().getPixelCount(), 0);
        EXPECT_EQ(material.getNode(i).getSize(), Material::defaultCollectorSize);
    }
    material.reclaimImages();
    EXPECT_EQ(material.getNode(0).getOperator().getImage().getPixelCount(), 256 * 256);
    EXPECT_TRUE(material.getNode(0).isDirty());
}
