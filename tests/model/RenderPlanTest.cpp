// Render plans: what they foretell, how their waves run, and cancelling them.

#include "RecordingProgress.h"
#include "RenderGraphs.h"
#include "core/operators/Checkboard.h"
#include "core/parallel/Parallel.h"
#include "model/Completeness.h"
#include "model/Material.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>

namespace {

struct RenderRecord {
    Lines log;
    std::vector<bool> dirty;
    std::vector<std::vector<Velvor::Pixel>> images;
    bool operator==(const RenderRecord&) const = default;
};

RenderRecord record(const Material& material, Lines log) {
    RenderRecord result{std::move(log), {}, {}};
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        const Velvor::Image& image = material.getNode(i).getOperator().getImage();
        result.dirty.push_back(material.getNode(i).isDirty());
        result.images.emplace_back(image.getPixels(), image.getPixels() + image.getPixelCount());
    }
    return result;
}

// Raises the flag once the log reaches the chosen line: "step" after the first step, or a visit's
// line, which comes before that operator runs when one thread renders.
class CancellingProgress : public RecordingProgress {
public:
    CancellingProgress(std::atomic<bool>& flag, std::string cancelAt)
        : flag_(flag), cancelAt_(std::move(cancelAt)) {}
    void step() override {
        RecordingProgress::step();
        raiseAt("step");
    }
    void message(const std::string& text) override {
        RecordingProgress::message(text);
        raiseAt(text);
    }

private:
    void raiseAt(const std::string& line) {
        if (line == cancelAt_) {
            flag_ = true;
        }
    }
    std::atomic<bool>& flag_;
    std::string cancelAt_;
};

} // namespace

// The plan foretells the walk without touching a node; executed with any number of threads it gives
// the same lines, steps, dirty flags and images as one thread.
TEST(MaterialRenderingTest, PlansAreExactAndThreadCountsDoNotShow) {
    for (unsigned seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE(seed);
        std::vector<RenderRecord> records;
        for (const int threads : {1, 2, 8}) {
            const Velvor::ThreadCountScope scope(threads);
            Material material;
            buildSmallRandom(material, seed);
            RenderRecord runs;
            for (int round = 0; round < 2; ++round) {
                const RenderRecord before = record(material, {});
                const RenderPlan plan = material.planAll();
                ASSERT_EQ(record(material, {}), before);
                RecordingProgress progress;
                ASSERT_TRUE(executeRenderPlan(plan, progress));
                EXPECT_EQ(
                    static_cast<std::size_t>(std::count(progress.log.begin(), progress.log.end(), "step")),
                    plan.stepCount());
                const RenderRecord after = record(material, progress.log);
                runs.log.insert(runs.log.end(), after.log.begin(), after.log.end());
                runs.dirty = after.dirty;
                runs.images = after.images;
                material.getNode(material.getNodeCount() - 1).markDirty();
            }
            records.push_back(std::move(runs));
        }
        ASSERT_EQ(records[1], records[0]);
        ASSERT_EQ(records[2], records[0]);
    }
}

TEST(MaterialRenderingTest, IndependentSourcesShareAWaveAndTheirConsumerFollows) {
    Material material(Material::Empty{});
    Graph graph(material, {8, 8}, {{0, "Out"}, {2, "Mix"}, {1, "Board"}, {3, "Plasma"}, {6, "Normals"}},
                {{"Board", "Mix", 1}, {"Plasma", "Normals", 0}, {"Normals", "Mix", 0}, {"Mix", "Out", 0}});
    const RenderPlan plan = material.planCollector(graph["Out"]);
    // Visits: Plasma, Normals, Board, Mix, Out; the board waits for nothing.
    ASSERT_EQ(plan.stepCount(), 5u);
    const int expected[] = {0, 1, 0, 2, 3};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_TRUE(plan.steps[i].generates);
        EXPECT_EQ(plan.steps[i].wave, expected[i]) << plan.steps[i].node->getName();
    }
    EXPECT_EQ(plan.waveCount, 4);
    EXPECT_EQ(plan.steps[3].inputs, (std::vector<const VisualNode*>{&graph["Normals"], &graph["Board"]}));
}

// A render cancelled after its first step has regenerated an edited board, not the normal map on it:
// the next render must still bring the normal map and the collector up to date. Cancelled while the
// normal map runs, that operator stops between rows and its node stays dirty. Sizes that stay the
// same keep every image buffer.
TEST(MaterialRenderingTest, ACancelledRenderIsCompletedByTheNext) {
    struct Case {
        int threads;
        const char* cancelAt;
        Lines visits;
    };
    const Case cases[] = {{1, "step", {"> node Board"}},
                          {2, "step", {"> node Board"}},
                          {1, "> node Normals", {"> node Board", "> node Normals"}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.threads << " threads, cancelled at " << c.cancelAt);
        const Velvor::ThreadCountScope scope(c.threads);
        Material material;
        Material twin;
        for (Material* m : {&material, &twin}) {
            m->clear();
            Graph graph(*m, {64, 64}, {{0, "Out"}, {6, "Normals"}, {1, "Board"}},
                        {{"Board", "Normals", 0}, {"Normals", "Out", 0}});
            NullProgress quiet;
            m->renderAll(quiet);
            dynamic_cast<Velvor::Checkboard&>(graph["Board"].getOperator()).blocks = 3;
            graph["Board"].markDirty();
        }
        NullProgress quiet;
        twin.renderAll(quiet);
        std::vector<const Velvor::Pixel*> buffers;
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            buffers.push_back(material.getNode(i).getOperator().getImage().getPixels());
        }
        std::atomic<bool> cancel{false};
        CancellingProgress progress(cancel, c.cancelAt);
        EXPECT_FALSE(material.renderAll(progress, RenderControl{&cancel}));
        EXPECT_EQ(progress.visits(), c.visits);
        EXPECT_TRUE(material.getNode(1).isDirty());
        cancel = false;
        EXPECT_TRUE(material.renderAll(quiet, RenderControl{&cancel}));
        expectSameNodes(material, twin);
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            EXPECT_EQ(material.getNode(i).getOperator().getImage().getPixels(), buffers[i]);
        }
    }
}

namespace {

std::vector<Velvor::Pixel> pixelsOf(const VisualNode& node) {
    const Velvor::Image& image = node.getOperator().getImage();
    return {image.getPixels(), image.getPixels() + image.getPixelCount()};
}

// The names of what the render left ungenerated upstream of the collector, in a fixed order.
std::vector<std::string> ungenerated(const Material& material, const VisualNode& collector) {
    std::vector<std::string> names;
    for (const VisualNode* node : ungeneratedUpstream(material, collector)) {
        names.push_back(node->getName());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// Discarding what no later step reads changes no collector and no verdict on what could not be
// generated; every other image the render made is gone, and what it could not make is kept to be told.
TEST(MaterialRenderingTest, DiscardingIntermediateImagesKeepsCollectorsAndFreesTheRest) {
    RenderControl discarding;
    discarding.discardIntermediateImages = true;
    int discarded = 0;
    for (unsigned seed = 1; seed <= 200; ++seed) {
        for (const int threads : {1, 2}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << ", " << threads << " threads");
            const Velvor::ThreadCountScope scope(threads);
            Material kept;
            Material lean;
            buildSmallRandom(kept, seed);
            buildSmallRandom(lean, seed);
            NullProgress quiet;
            ASSERT_TRUE(kept.renderAll(quiet));
            ASSERT_TRUE(lean.renderAll(quiet, discarding));
            for (std::size_t i = 0; i < kept.getNodeCount(); ++i) {
                const VisualNode& mine = lean.getNode(i);
                const VisualNode& reference = kept.getNode(i);
                SCOPED_TRACE(mine.getName());
                if (mine.isDiscarded()) {
                    ++discarded;
                    EXPECT_NE(mine.getTypeId(), 0);
                    EXPECT_FALSE(reference.isDirty());
                    EXPECT_EQ(mine.getOperator().getImage().getPixelCount(), 0);
                    EXPECT_EQ(mine.getSize(), reference.getSize());
                    continue;
                }
                EXPECT_EQ(mine.isDirty(), reference.isDirty());
                EXPECT_EQ(pixelsOf(mine), pixelsOf(reference));
                if (mine.getTypeId() == 0) {
                    EXPECT_EQ(ungenerated(lean, mine), ungenerated(kept, reference));
                }
            }
        }
    }
    EXPECT_GT(discarded, 100);
}
