#include "RecordingProgress.h"
#include "RenderGraphs.h"
#include "core/operators/Checkboard.h"
#include "model/Material.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

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
    Material material(Material::Empty{});
    Graph graph(material, {8, 8}, {{0, "Out"}, {2, "Mix"}, {1, "Board"}, {3, "Plasma"}},
                {{"Board", "Mix", 1}, {"Plasma", "Mix", 0}, {"Mix", "Out", 0}});
    VisualNode& mixer = graph["Mix"];

    RecordingProgress progress;
    material.renderCollector(graph["Out"], progress);
    EXPECT_EQ(progress.visits(), (Lines{"> node Plasma", "> node Board", "> node Mix", "> node Out"}));
    EXPECT_FALSE(mixer.isDirty());

    // A normal map on the board now feeds both mixer ports: it is visited twice, clean the second
    // time, and its finished upstream is not walked again.
    VisualNode& normals = addOfType(material, 6, {8, 8}, "Normals");
    material.removeCable(&material.getCable(1));
    material.removeCable(&material.getCable(0));
    material.connect(graph["Board"], -1, normals, 0);
    material.connect(normals, -1, mixer, 0);
    material.connect(normals, -1, mixer, 1);
    progress.log.clear();
    material.renderCollector(graph["Out"], progress);
    EXPECT_EQ(progress.visits(),
              (Lines{"> skip Board", "> node Normals", "> skip Normals", "> node Mix", "> node Out"}));
    EXPECT_EQ(std::count(progress.log.begin(), progress.log.end(), "step"), 5);
    EXPECT_EQ(progress.log[1], "start 5");
}

// The board feeds the mixer directly (newest cable, rendered first) and through the normal map. After

// The board feeds the mixer directly (newest cable, rendered first) and through the normal map. After
// an edit of the board, the normal map reached second must still be regenerated from the new board.
TEST(MaterialRenderingTest, AConsumerReachedAfterItsSourceWasRegeneratedIsRegeneratedToo) {
    const NodeTable nodes{{0, "Out"}, {2, "Mix"}, {6, "Normals"}, {1, "Board"}};
    const CableTable cables{
        {"Board", "Normals", 0}, {"Normals", "Mix", 0}, {"Board", "Mix", 1}, {"Mix", "Out", 0}};
    Material material(Material::Empty{});
    Graph graph(material, {8, 8}, nodes, cables);
    RecordingProgress progress;
    material.renderCollector(graph["Out"], progress);

    const auto edit = [](Material&, Graph& g) {
        dynamic_cast<Velvor::Checkboard&>(g["Board"].getOperator()).blocks = 3;
        g["Board"].markDirty();
    };
    edit(material, graph);
    progress.log.clear();
    material.renderCollector(graph["Out"], progress);
    EXPECT_EQ(progress.visits(),
              (Lines{"> node Board", "> skip Board", "> node Normals", "> node Mix", "> node Out"}));
    expectAsRenderedFresh(graph["Normals"], {8, 8}, nodes, cables, edit);
}

// A node regenerated for the first collector is clean when the second collector's render reaches it;
// what reads it there must still follow, and the log says so.
TEST(MaterialRenderingTest, ANodeFeedingTwoCollectorsUpdatesBoth) {
    const NodeTable nodes{{0, "Diffuse"}, {0, "Normal out"}, {1, "Board"}, {6, "Relief"}};
    const CableTable cables{{"Board", "Diffuse", 0}, {"Board", "Relief", 0}, {"Relief", "Normal out", 0}};
    Material material(Material::Empty{});
    Graph graph(material, {8, 8}, nodes, cables);
    RecordingProgress progress;
    material.renderAll(progress);

    const auto edit = [](Material& m, Graph& g) { m.setParameter(g["Board"].getId(), 0, std::int32_t{5}); };
    edit(material, graph);
    progress.log.clear();
    material.renderAll(progress);
    EXPECT_EQ(progress.visits(), (Lines{"> node Board", "> node Diffuse", "> skip Board", "> node Relief",
                                        "> node Normal out"}));
    progress.log.clear();
    material.renderAll(progress);
    EXPECT_EQ(progress.visits(), (Lines{"> skip Board", "> skip Diffuse", "> skip Board", "> skip Relief",
                                        "> skip Normal out"}));
    expectAsRenderedFresh(graph["Normal out"], {8, 8}, nodes, cables, edit);
}

// Changing what feeds a node makes its image out of date just as a parameter change does.
TEST(MaterialRenderingTest, ANewSourceIsRenderedIntoATargetThatWasClean) {
    Material material(Material::Empty{});
    Graph graph(material, {8, 8}, {{0, "Out"}, {1, "Coarse"}, {1, "Fine"}}, {{"Coarse", "Out", 0}});
    VisualNode& collector = graph["Out"];
    VisualNode& fine = graph["Fine"];
    dynamic_cast<Velvor::Checkboard&>(fine.getOperator()).blocks = 8;
    RecordingProgress progress;
    material.renderCollector(collector, progress);
    material.renderCollector(fine, progress); // both sources clean: only the cable changes

    material.removeCable(&material.getCable(0));
    material.connect(fine, -1, collector, 0);
    material.renderCollector(collector, progress);
    EXPECT_EQ(0, std::memcmp(collector.getOperator().getImage().getPixels(),
                             fine.getOperator().getImage().getPixels(), 8 * 8 * 4));
}

TEST(MaterialRenderingTest, TwoNodesFeedingEachOtherRenderOnce) {
    Material material(Material::Empty{});
    Graph graph(material, {8, 8}, {{0, "Out"}, {6, "A"}, {6, "B"}},
                {{"B", "A", 0}, {"A", "B", 0}, {"A", "Out", 0}});
    VisualNode& out = graph["Out"];
    VisualNode& a = graph["A"];
    VisualNode& b = graph["B"];
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

TEST(MaterialRenderingTest, ReenteringAnOpenVisitClearsItsInputsEvenWhenAnInnerVisitFinished) {
    // M feeds N1 and N2, which feed M's two ports. Each re-entry of M clears its slots: the second
    // one drops the slot the outer visit had set from N2, so M cannot generate.
    Material material(Material::Empty{});
    Graph graph(material, {4, 4}, {{0, "Out"}, {2, "M"}, {6, "N1"}, {6, "N2"}},
                {{"M", "N1", 0}, {"M", "N2", 0}, {"N1", "M", 0}, {"N2", "M", 1}, {"M", "Out", 0}});
    VisualNode& out = graph["Out"];
    RecordingProgress progress;
    material.renderCollector(out, progress);
    EXPECT_EQ(progress.visits(),
              (Lines{"> node M", "> node N2", "> node M", "> node N1", "> node M", "> node Out"}));
    EXPECT_TRUE(graph["M"].isDirty());
    EXPECT_FALSE(graph["N1"].isDirty());
    // Out copies M's untouched zero image, not the sum of the two flat normal maps.
    for (int i = 0; i < 16; ++i) {
        ASSERT_EQ(out.getOperator().getImage().getPixels()[i], 0u);
    }
}

TEST(MaterialRenderingTest, ARevisitAcrossAnOpenVisitClearsItAndReportsItsDirtyUpstream) {
    // Y mixes A and B; A is fed by F, B through P by F, and F by Y. Y's visit reaches F first through
    // A; the second way to F is a revisit that would re-enter Y: Y loses the input from A, and F
    // counts as changed because Y is dirty, so P is regenerated on every render.
    Material material(Material::Empty{});
    Graph graph(material, {4, 4}, {{0, "Out"}, {2, "Y"}, {6, "F"}, {6, "P"}, {6, "A"}, {6, "B"}},
                {{"Y", "F", 0},
                 {"F", "P", 0},
                 {"P", "B", 0},
                 {"B", "Y", 1},
                 {"F", "A", 0},
                 {"A", "Y", 0},
                 {"Y", "Out", 0}});
    const Lines visits{"> node Y", "> node F", "> node A", "> node F",
                       "> node P", "> node B", "> node Y", "> node Out"};
    for (int round = 0; round < 2; ++round) {
        RecordingProgress progress;
        material.renderCollector(graph["Out"], progress);
        EXPECT_EQ(progress.visits(), visits);
        EXPECT_TRUE(graph["Y"].isDirty());
        EXPECT_FALSE(graph["P"].isDirty());
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
