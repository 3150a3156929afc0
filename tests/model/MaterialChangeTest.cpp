#include "base/Exception.h"
#include "model/Material.h"
#include "model/OperatorNodes.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

using Kind = MaterialChange::Kind;

// What an observer heard, with what it could see of the material at that moment.
struct Heard {
    MaterialChange change;
    std::size_t nodes;
    std::size_t cables;
    bool nodePresent;
    std::string name;
    Point position;
    Point size;
};

class Listener : public MaterialObserver {
public:
    explicit Listener(Material& material) : material_(material) { material.addObserver(this); }
    ~Listener() override { material_.removeObserver(this); }

    void materialChanged(const MaterialChange& change) override {
        Heard heard{change, material_.getNodeCount(), material_.getCableCount(), false, {}, {}, {}};
        if (const VisualNode* node = material_.findNode(change.node)) {
            heard = {change,          heard.nodes,         heard.cables,   true,
                     node->getName(), node->getPosition(), node->getSize()};
        }
        heard_.push_back(heard);
    }

    // Everything heard since the last call.
    std::vector<Heard> take() { return std::exchange(heard_, {}); }

    // The one change heard since the last call; fails the test unless there was exactly one.
    Heard one() {
        std::vector<Heard> heard = take();
        EXPECT_EQ(heard.size(), 1u);
        return heard.empty() ? Heard{} : heard.front();
    }

private:
    Material& material_;
    std::vector<Heard> heard_;
};

const NodeTypeInfo& typeOf(int id) {
    return *findNodeType(id);
}

} // namespace

// Each edit is heard once, by its own kind, with the change already in place.
TEST(MaterialChangeTest, EveryEditIsHeardOnceAfterItHappened) {
    Material material;
    Listener listener(material);
    VisualNode& diffuse = material.getNode(0);

    VisualNode& board = material.addNode("Board", typeOf(1), {256, 256});
    const NodeId id = board.getId();
    Heard heard = listener.one();
    EXPECT_EQ(heard.change, (MaterialChange{Kind::NodeAdded, id, 5}));
    EXPECT_TRUE(heard.nodePresent);
    EXPECT_EQ(heard.nodes, 6u);

    material.moveNode(id, {70, -80});
    heard = listener.one();
    EXPECT_EQ(heard.change, (MaterialChange{Kind::NodeMoved, id, 0}));
    EXPECT_EQ(heard.position, (Point{70, -80}));

    material.renameNode(id, "Chess");
    heard = listener.one();
    EXPECT_EQ(heard.change, (MaterialChange{Kind::NodeRenamed, id, 0}));
    EXPECT_EQ(heard.name, "Chess");

    material.resizeNode(id, {16, 8});
    heard = listener.one();
    EXPECT_EQ(heard.change, (MaterialChange{Kind::NodeResized, id, 0}));
    EXPECT_EQ(heard.size, (Point{16, 8}));
    material.resizeNode(id, {256, 256});
    listener.take();

    board.update();
    material.setParameter(id, 0, 9);
    EXPECT_EQ(listener.one().change, (MaterialChange{Kind::ParameterChanged, id, 0}));
    EXPECT_EQ(dynamic_cast<Operators::Checkboard&>(board).getTypedOperator().blocks, 9);
    EXPECT_TRUE(board.isDirty()); // the image no longer matches its parameters

    const Cable* cable = material.connect(board, -1, diffuse, 0);
    heard = listener.one();
    EXPECT_EQ(heard.change, (MaterialChange{Kind::CableAdded, diffuse.getId(), 0}));
    EXPECT_EQ(heard.cables, 1u);

    const RemovedCable removedCable = material.removeCable(cable);
    heard = listener.one();
    EXPECT_EQ(heard.change, (MaterialChange{Kind::CableRemoved, diffuse.getId(), 0}));
    EXPECT_EQ(heard.cables, 0u);
    material.restoreCable(removedCable);
    EXPECT_EQ(listener.one().change, (MaterialChange{Kind::CableAdded, diffuse.getId(), 0}));

    // A node goes with its cables: each is heard, the node last; it comes back first.
    RemovedNode removed = material.removeNode(&board);
    std::vector<Heard> all = listener.take();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].change, (MaterialChange{Kind::CableRemoved, diffuse.getId(), 0}));
    EXPECT_EQ(all[1].change, (MaterialChange{Kind::NodeRemoved, id, 5}));
    EXPECT_FALSE(all[1].nodePresent);
    material.restoreNode(std::move(removed));
    all = listener.take();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].change, (MaterialChange{Kind::NodeAdded, id, 5}));
    EXPECT_EQ(all[0].cables, 0u);
    EXPECT_EQ(all[1].change, (MaterialChange{Kind::CableAdded, diffuse.getId(), 0}));

    // What is refused is not heard.
    EXPECT_EQ(material.connect(board, -1, diffuse, 0), nullptr);
    Operators::Checkboard stranger("s", {}, {1, 1});
    EXPECT_THROW(material.removeNode(&stranger), Exception);
    EXPECT_THROW(material.moveNode(stranger.getId(), {}), Exception);
    EXPECT_THROW(material.resizeNode(id, {-1, 4}), Exception);
    EXPECT_THROW(material.setParameter(id, 1, 3), Exception);
    EXPECT_THROW(material.setParameter(id, 0, std::string("text")), Exception);
    EXPECT_TRUE(listener.take().empty());

    material.clear();
    heard = listener.one();
    EXPECT_EQ(heard.change.kind, Kind::Cleared);
    EXPECT_EQ(heard.nodes, 0u);
}

TEST(MaterialChangeTest, ARestoredNodeIsTheSameNodeInTheSamePlaces) {
    Material material{Material::Empty{}};
    VisualNode& a = material.addNode("a", typeOf(1), {4, 4});
    VisualNode& plasma = material.addNode("p", typeOf(3), {4, 4});
    VisualNode& mixer = material.addNode("m", typeOf(2), {4, 4});
    VisualNode& out = material.addNode("o", typeOf(0), {4, 4});
    VisualNode& other = material.addNode("x", typeOf(6), {4, 4});
    material.connect(a, -1, mixer, 0);      // cable 0
    material.connect(plasma, -1, mixer, 1); // cable 1: the plasma's
    material.connect(a, -1, other, 0);      // cable 2
    material.connect(plasma, -1, out, 0);   // cable 3: the plasma's
    material.setParameter(plasma.getId(), 1, 77);
    plasma.update();
    const Velvor::Pixel firstPixel = plasma.getOperator().getImage().row(0)[0];

    RemovedNode removed = material.removeNode(&plasma);
    EXPECT_EQ(removed.index, 1u);
    ASSERT_EQ(removed.cables.size(), 2u);
    EXPECT_EQ(removed.cables[0].index, 1u);
    EXPECT_EQ(removed.cables[1].index, 3u);
    EXPECT_EQ(removed.cables[1].to, out.getId());

    VisualNode& restored = material.restoreNode(std::move(removed));
    EXPECT_EQ(&restored, &material.getNode(1));
    EXPECT_EQ(restored.getName(), "p");
    EXPECT_FALSE(restored.isDirty());
    EXPECT_EQ(restored.getOperator().getImage().row(0)[0], firstPixel);
    EXPECT_EQ(dynamic_cast<Operators::SubPlasma&>(restored).getTypedOperator().seed, 77);
    ASSERT_EQ(material.getCableCount(), 4u);
    EXPECT_EQ(&material.getCable(1).getFrom(), &restored);
    EXPECT_EQ(&material.getCable(3).getTo(), &out);
    EXPECT_EQ(material.findCable(mixer.getId(), 1), &material.getCable(1));

    // A place that has gone refuses the whole restore and changes nothing.
    removed = material.removeNode(&restored);
    const RemovedCable cable = material.removeCable(&material.getCable(0));
    material.connect(a, -1, mixer, 1); // takes the plasma's port
    EXPECT_THROW(material.restoreNode(std::move(removed)), Exception);
    EXPECT_NE(removed.node, nullptr);
    EXPECT_EQ(material.getNodeCount(), 4u);
    EXPECT_EQ(material.getCableCount(), 2u);
    EXPECT_THROW(material.restoreCable(RemovedCable{cable.from, cable.to, cable.toPort, 5}), Exception);
    material.removeNode(&a);
    EXPECT_THROW(material.restoreCable(cable), Exception); // its source is gone
}

TEST(MaterialChangeTest, EditsGiveBackTheValueTheyReplaced) {
    Material material{Material::Empty{}};
    const NodeId id = material.addNode("t", typeOf(5), {4, 4}, {3, 4}).getId();
    EXPECT_EQ(material.moveNode(id, {5, 6}), (Point{3, 4}));
    EXPECT_EQ(material.renameNode(id, "u"), "t");
    EXPECT_EQ(material.resizeNode(id, {2, 2}), (Point{4, 4}));
    // Parameters in panel order: x, y, size, weight, colour, font, text.
    EXPECT_EQ(material.setParameter(id, 3, 0x12345), ParameterValue(400));
    EXPECT_EQ(material.setParameter(id, 3, 700), ParameterValue(0x2345)); // only 16 bits were kept
    EXPECT_EQ(material.setParameter(id, 4, -1), ParameterValue(0x00FFFFFF));
    EXPECT_EQ(material.setParameter(id, 4, 0), ParameterValue(-1));
    EXPECT_EQ(material.setParameter(id, 6, std::string("Hi")), ParameterValue(std::string("Pwnage!")));
    EXPECT_EQ(material.setParameter(id, 6, std::string("")), ParameterValue(std::string("Hi")));
}
