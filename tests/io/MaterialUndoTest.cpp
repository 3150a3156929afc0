#include "RandomEdits.h"
#include "ScriptedPrompt.h"
#include "io/MaterialXml.h"
#include "io/PackedExport.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

class MaterialUndoTest : public testing::TestWithParam<std::string> {};

} // namespace

// Any series of edits undone in reverse gives back the file and the export byte for byte.
TEST_P(MaterialUndoTest, RandomEditsUndoneInReverseRestoreTheBytes) {
    Material material;
    ScriptedPrompt prompt;
    ASSERT_EQ(loadXml(material, VELVOR_SOURCE_DIR "/examples/" + GetParam() + ".ostra-material", prompt),
              LoadOutcome::Complete);
    const std::string xml = materialToXml(material);
    const std::vector<std::uint8_t> packed = exportPacked(material);
    int changedRuns = 0;
    for (unsigned seed = 1; seed <= 100; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        std::vector<std::function<void()>> undos;
        for (int i = 0; i < 40; ++i) {
            if (auto undo = randomEdit(material, random)) {
                undos.push_back(std::move(undo));
            }
        }
        changedRuns += materialToXml(material) != xml;
        for (auto undo = undos.rbegin(); undo != undos.rend(); ++undo) {
            (*undo)();
        }
        ASSERT_EQ(materialToXml(material), xml);
        ASSERT_EQ(exportPacked(material), packed);
    }
    EXPECT_GT(changedRuns, 75); // the edits did change the material
}

INSTANTIATE_TEST_SUITE_P(Examples, MaterialUndoTest,
                         testing::Values("labelled-panel", "metal-plate", "tiles"),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

// A load is one replacement for whoever watches, however many nodes it brings.
TEST(MaterialLoadTest, LoadingIsOneReplacement) {
    struct Listener : MaterialObserver {
        void materialChanged(const MaterialChange& change) override {
            heard.push_back(change.kind);
            nodesSeen = material.getNodeCount();
        }
        Material material;
        std::vector<MaterialChange::Kind> heard;
        std::size_t nodesSeen = 0;
    } listener;
    listener.material.addObserver(&listener);
    ScriptedPrompt prompt;
    ASSERT_EQ(loadXml(listener.material, VELVOR_SOURCE_DIR "/examples/tiles.ostra-material", prompt),
              LoadOutcome::Complete);
    EXPECT_EQ(listener.heard, std::vector{MaterialChange::Kind::Replaced});
    EXPECT_EQ(listener.nodesSeen, 10u);
    EXPECT_EQ(loadXmlText(listener.material, "<other/>", prompt), LoadOutcome::Rejected);
    EXPECT_EQ(listener.heard, std::vector(2, MaterialChange::Kind::Replaced));
    EXPECT_EQ(listener.nodesSeen, 0u);
    listener.material.removeObserver(&listener);
}
