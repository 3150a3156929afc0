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

// One random edit through the material's own methods; returns its inverse, built only from what the
// edit gave back and from node ids (empty when the edit did nothing).
std::function<void()> randomEdit(Material& material, std::mt19937& random) {
    const auto below = [&](std::size_t bound) { return bound == 0 ? 0 : random() % bound; };
    const auto anyText = [&] {
        const std::string characters = "aZ09 <>&\"'\xC3\xA9";
        std::string text(below(6), ' ');
        for (char& c : text) {
            c = characters[below(characters.size())];
        }
        return text;
    };
    const std::size_t kind = below(8);
    if (kind == 0) {
        const Point size{1 + static_cast<int>(below(16)), 1 + static_cast<int>(below(16))};
        const NodeId id = material.addNode(anyText(), nodeTypes[below(nodeTypes.size())], size).getId();
        return [&material, id] { material.removeNode(material.findNode(id)); };
    }
    if (kind == 1 && material.getCableCount() > 0) {
        const RemovedCable removed =
            material.removeCable(&material.getCable(below(material.getCableCount())));
        return [&material, removed] { material.restoreCable(removed); };
    }
    if (material.getNodeCount() == 0) {
        return {};
    }
    VisualNode& node = material.getNode(below(material.getNodeCount()));
    const NodeId id = node.getId();
    switch (kind) {
    case 2: {
        auto removed = std::make_shared<RemovedNode>(material.removeNode(&node));
        return [&material, removed] { material.restoreNode(std::move(*removed)); };
    }
    case 3: {
        const int port = static_cast<int>(below(3));
        if (material.connect(material.getNode(below(material.getNodeCount())), -1, node, port) == nullptr) {
            return {};
        }
        return [&material, id, port] { material.removeCable(material.findCable(id, port)); };
    }
    case 4: {
        const Point from =
            material.moveNode(id, {static_cast<int>(below(2000)) - 1000, static_cast<int>(below(99))});
        return [&material, id, from] { material.moveNode(id, from); };
    }
    case 5: {
        auto previous = std::make_shared<std::string>(material.renameNode(id, anyText()));
        return [&material, id, previous] { material.renameNode(id, *previous); };
    }
    case 6: {
        const Point previous =
            material.resizeNode(id, {static_cast<int>(below(20)), static_cast<int>(below(20))});
        return [&material, id, previous] { material.resizeNode(id, previous); };
    }
    default: {
        const std::size_t parameter = below(node.getTypeInfo()->parameters.size());
        ParameterValue value = static_cast<std::int32_t>(random());
        if (node.getTypeInfo()->parameters[parameter].kind == ParameterKind::Text) {
            value = anyText();
        }
        auto previous = std::make_shared<ParameterValue>(material.setParameter(id, parameter, value));
        return [&material, id, parameter, previous] { material.setParameter(id, parameter, *previous); };
    }
    }
}

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
