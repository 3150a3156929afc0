#include "RecordingProgress.h"
#include "core/Checkboard.h"
#include "model/Material.h"
#include "model/OperatorNodes.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace {

using Lines = std::vector<std::string>;

VisualNode& addOfType(Material& material, int typeId, Point size, const std::string& name) {
    return material.addNode(name, *findNodeType(typeId), size);
}

} // namespace

TEST(MaterialRenderingTest, CheckerboardIntoTheDiffuseMapRendersThenSkips) {
    Material material;
    VisualNode& diffuse = material.getNode(0);
    VisualNode& board = addOfType(material, 1, {256, 256}, "Board");
    ASSERT_NE(material.connect(board, -1, diffuse, 0), nullptr);

    RecordingProgress progress;
    material.renderCollector(diffuse, progress);
    EXPECT_EQ(progress.log, (Lines{"Rendering collector Diffuse map...", "start 6", "> node Board", "step",
                                   "> node Diffuse map", "step", "finish", "Ready."}));
    EXPECT_FALSE(board.isDirty());
    EXPECT_FALSE(diffuse.isDirty());

    Velvor::Checkboard reference(256, 256);
    reference.generate(nullptr);
    const Velvor::Image& result = diffuse.getOperator().getImage();
    ASSERT_TRUE(result.sameSizeAs(reference.getImage()));
    EXPECT_EQ(0, std::memcmp(result.getPixels(), reference.getImage().getPixels(), 256 * 256 * 4));

    progress.log.clear();
    material.renderCollector(diffuse, progress);
    EXPECT_EQ(progress.visits(), (Lines{"> skip Board", "> skip Diffuse map"}));

    // An edit downstream of nothing else re-renders only the path from it.
    board.markDirty();
    progress.log.clear();
    material.renderCollector(diffuse, progress);
    EXPECT_EQ(progress.visits(), (Lines{"> node Board", "> node Diffuse map"}));
}

TEST(MaterialRenderingTest, RenderAllVisitsEveryCollectorInNodeOrder) {
    Material material;
    RecordingProgress progress;
    material.renderAll(progress);
    // No collector has a source: each is logged as changed and stays dirty.
    EXPECT_EQ(progress.visits(),
              (Lines{"> node Diffuse map", "> node Reflection map", "> node Reflection mask",
                     "> node Normal map", "> node Specular map"}));
    EXPECT_TRUE(material.getNode(4).isDirty());
}

TEST(MaterialRenderingTest, InputsRenderNewestCableFirstAndASharedNodeIsVisitedTwice) {
    Material material;
    material.clear();
    VisualNode& collector = addOfType(material, 0, {8, 8}, "Out");
    VisualNode& mixer = addOfType(material, 2, {8, 8}, "Mix");
    VisualNode& board = addOfType(material, 1, {8, 8}, "Board");
    VisualNode& plasma = addOfType(material, 3, {8, 8}, "Plasma");
    material.connect(board, -1, mixer, 1);
    material.connect(plasma, -1, mixer, 0);
    material.connect(mixer, -1, collector, 0);

    RecordingProgress progress;
    material.renderCollector(collector, progress);
    EXPECT_EQ(progress.visits(), (Lines{"> node Plasma", "> node Board", "> node Mix", "> node Out"}));
    EXPECT_FALSE(mixer.isDirty());

    // A normal map on the board now feeds both mixer ports: it is visited twice, clean the second
    // time, and its finished upstream is not walked again.
    VisualNode& normals = addOfType(material, 6, {8, 8}, "Normals");
    material.removeCable(&material.getCable(1));
    material.removeCable(&material.getCable(0));
    material.connect(board, -1, normals, 0);
    material.connect(normals, -1, mixer, 0);
    material.connect(normals, -1, mixer, 1);
    progress.log.clear();
    material.renderCollector(collector, progress);
    EXPECT_EQ(progress.visits(),
              (Lines{"> skip Board", "> node Normals", "> skip Normals", "> node Mix", "> node Out"}));
    EXPECT_EQ(std::count(progress.log.begin(), progress.log.end(), "step"), 5);
    EXPECT_EQ(progress.log[1], "start 5");
}

TEST(MaterialRenderingTest, TwoNodesFeedingEachOtherRenderOnce) {
    Material material;
    material.clear();
    VisualNode& out = addOfType(material, 0, {8, 8}, "Out");
    VisualNode& a = addOfType(material, 6, {8, 8}, "A");
    VisualNode& b = addOfType(material, 6, {8, 8}, "B");
    ASSERT_NE(material.connect(b, -1, a, 0), nullptr);
    ASSERT_NE(material.connect(a, -1, b, 0), nullptr);
    ASSERT_NE(material.connect(a, -1, out, 0), nullptr);
    EXPECT_EQ(material.connect(a, -1, a, 0), nullptr);
    EXPECT_FALSE(material.canConnect(a, 0, a, -1));

    // Inside the cycle A is reached again with its cable used up: it cannot generate there, but B
    // and then the outer A can.
    RecordingProgress progress;
    material.renderCollector(out, progress);
    EXPECT_EQ(progress.visits(), (Lines{"> node A", "> node B", "> node A", "> node Out"}));
    EXPECT_FALSE(a.isDirty());
    EXPECT_FALSE(b.isDirty());
    EXPECT_FALSE(out.isDirty());

    progress.log.clear();
    material.renderCollector(out, progress);
    EXPECT_EQ(progress.visits(), (Lines{"> skip A", "> skip B", "> skip A", "> skip Out"}));
}

TEST(MaterialRenderingTest, HalfConnectedMixerIsLoggedEveryTimeButNeverGenerated) {
    Material material;
    VisualNode& diffuse = material.getNode(0);
    VisualNode& board = addOfType(material, 1, {256, 256}, "Board");
    VisualNode& mixer = addOfType(material, 2, {256, 256}, "Mix");
    material.connect(board, -1, mixer, 0);
    material.connect(mixer, -1, diffuse, 0);
    for (int round = 0; round < 2; ++round) {
        RecordingProgress progress;
        material.renderCollector(diffuse, progress);
        const std::string boardLine = round == 0 ? "> node Board" : "> skip Board";
        EXPECT_EQ(progress.visits(), (Lines{boardLine, "> node Mix", "> node Diffuse map"}));
        EXPECT_TRUE(mixer.isDirty());
    }
    const Velvor::Image& image = mixer.getOperator().getImage();
    for (int i = 0; i < image.getPixelCount(); ++i) {
        ASSERT_EQ(image.getPixels()[i], 0u);
    }
}

TEST(MaterialRenderingTest, SourceOfAnotherSizeIsNeverRead) {
    Material material;
    VisualNode& diffuse = material.getNode(0);
    VisualNode& board = addOfType(material, 1, {16, 16}, "Board");
    ASSERT_NE(material.connect(board, -1, diffuse, 0), nullptr); // as the file loader may
    RecordingProgress progress;
    material.renderCollector(diffuse, progress);
    EXPECT_EQ(progress.visits(), (Lines{"> node Board", "> node Diffuse map"}));
    EXPECT_TRUE(diffuse.isDirty());
    EXPECT_EQ(diffuse.getSize(), (Point{256, 256}));

    // A resize that makes the sizes meet lets it through.
    material.resizeNode(board.getId(), {256, 256});
    material.renderCollector(diffuse, progress);
    EXPECT_FALSE(diffuse.isDirty());
    EXPECT_EQ(diffuse.getOperator().getImage().row(0)[0], Velvor::opaqueWhite);
}

TEST(MaterialRenderingTest, RemovingTheSourceLeavesNoInputBehind) {
    Material material;
    VisualNode& diffuse = material.getNode(0);
    VisualNode& board = addOfType(material, 1, {256, 256}, "Board");
    material.connect(board, -1, diffuse, 0);
    RecordingProgress progress;
    material.renderCollector(diffuse, progress);
    material.removeNode(&board);
    diffuse.markDirty();
    diffuse.update(); // must not read the deleted board's image
    EXPECT_TRUE(diffuse.isDirty());
}

namespace {

// The rendering algorithm as first written down: the cable list travels by value. A node whose
// visit has finished is not descended into again in the same pass.
bool referenceRender(VisualNode& node, std::vector<const Cable*> cables, Lines& log,
                     std::set<const VisualNode*>& finished) {
    bool changed = node.isDirty();
    if (node.getInputCount() > 0 && finished.count(&node) == 0) {
        for (int port = 0; port < node.getInputCount(); ++port) {
            node.setInput(port, nullptr);
        }
        std::vector<const Cable*> inputCables;
        for (std::size_t i = cables.size(); i-- > 0;) {
            if (&cables[i]->getTo() == &node) {
                inputCables.push_back(cables[i]);
                cables.erase(cables.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
        for (const Cable* cable : inputCables) {
            const bool inputChanged = referenceRender(cable->getFrom(), cables, log, finished);
            changed = changed || inputChanged;
            node.setInput(cable->getToPort(), &cable->getFrom());
        }
    }
    log.push_back((changed ? "> node " : "> skip ") + node.getName());
    if (changed) {
        node.update();
    }
    finished.insert(&node);
    return changed;
}

// A random graph with cycles, shared nodes, open ports and a few mismatched sizes.
void buildRandom(Material& material, unsigned seed) {
    std::mt19937 random(seed);
    material.clear();
    const int types[] = {0, 1, 2, 3, 4, 6};
    const int nodeCount = 3 + static_cast<int>(random() % 6);
    for (int i = 0; i < nodeCount; ++i) {
        const int type = i == 0 ? 0 : types[random() % 6];
        const int side = random() % 8 == 0 ? 3 : 4;
        std::string name = "n";
        name += std::to_string(i);
        addOfType(material, type, {side, 4}, name);
    }
    const int attempts = static_cast<int>(random() % 24);
    for (int i = 0; i < attempts; ++i) {
        VisualNode& from = material.getNode(random() % material.getNodeCount());
        VisualNode& to = material.getNode(random() % material.getNodeCount());
        material.connect(from, -1, to, static_cast<int>(random() % 3));
    }
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        if (random() % 2 == 0) {
            material.getNode(i).update();
        }
    }
}

} // namespace

TEST(MaterialRenderingTest, MatchesTheByValueAlgorithmOnRandomGraphs) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        SCOPED_TRACE(seed);
        Material material;
        Material twin;
        buildRandom(material, seed);
        buildRandom(twin, seed);
        for (int round = 0; round < 2; ++round) {
            RecordingProgress progress;
            material.renderCollector(material.getNode(0), progress);
            std::vector<const Cable*> cables;
            for (std::size_t i = 0; i < twin.getCableCount(); ++i) {
                cables.push_back(&twin.getCable(i));
            }
            Lines expected;
            std::set<const VisualNode*> finished;
            referenceRender(twin.getNode(0), cables, expected, finished);
            ASSERT_EQ(progress.visits(), expected);
            for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
                const Velvor::Image& mine = material.getNode(i).getOperator().getImage();
                const Velvor::Image& theirs = twin.getNode(i).getOperator().getImage();
                ASSERT_EQ(material.getNode(i).isDirty(), twin.getNode(i).isDirty());
                ASSERT_TRUE(mine.sameSizeAs(theirs));
                ASSERT_EQ(0, std::memcmp(mine.getPixels(), theirs.getPixels(),
                                         static_cast<std::size_t>(mine.getPixelCount()) * 4));
            }
            material.getNode(material.getNodeCount() - 1).markDirty();
            twin.getNode(twin.getNodeCount() - 1).markDirty();
        }
    }
}

TEST(MaterialRenderingTest, SharedNodesAreDescendedOnceSoDeepDiamondsFinish) {
    // Each mixer takes both inputs from the one before: 2^40 paths, one visit per node and edge.
    Material material;
    VisualNode& diffuse = material.getNode(0);
    VisualNode* previous = &addOfType(material, 1, {4, 4}, "Board");
    material.resizeNode(diffuse.getId(), {4, 4});
    for (int i = 0; i < 40; ++i) {
        std::string name = "M";
        name += std::to_string(i);
        VisualNode& mixer = addOfType(material, 2, {4, 4}, name);
        ASSERT_NE(material.connect(*previous, -1, mixer, 0), nullptr);
        ASSERT_NE(material.connect(*previous, -1, mixer, 1), nullptr);
        previous = &mixer;
    }
    material.connect(*previous, -1, diffuse, 0);
    RecordingProgress progress;
    material.renderCollector(diffuse, progress);
    // Mixer i is visited once from each port of mixer i + 1; the second visit is a skip.
    EXPECT_EQ(progress.visits().size(), 1u + 2u * 40u + 1u);
    EXPECT_EQ(progress.visits().front(), "> node Board");
    EXPECT_EQ(progress.visits()[1], "> skip Board");
    EXPECT_EQ(progress.visits().back(), "> node Diffuse map");
    EXPECT_FALSE(diffuse.isDirty());
}
