#include "ScriptedPrompt.h"
#include "io/MaterialXml.h"
#include "io/PackedExport.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// Makes random edits to a material, each through the material's own methods, and keeps the inverse
// of each, built only from what the edit gave back and from node ids.
class RandomEditor {
public:
    RandomEditor(Material& material, unsigned seed) : material_(material), random_(seed) {}

    void edit() {
        switch (below(8)) {
        case 0:
            return addNode();
        case 1:
            return removeNode();
        case 2:
            return connect();
        case 3:
            return disconnect();
        case 4:
            return move();
        case 5:
            return rename();
        case 6:
            return resize();
        default:
            return setParameter();
        }
    }

    void undoAll() {
        for (auto undo = undos_.rbegin(); undo != undos_.rend(); ++undo) {
            (*undo)();
        }
        undos_.clear();
    }

private:
    std::size_t below(std::size_t bound) { return bound == 0 ? 0 : random_() % bound; }
    bool empty() const { return material_.getNodeCount() == 0; }
    VisualNode& anyNode() { return material_.getNode(below(material_.getNodeCount())); }

    std::string anyText() {
        static const std::string characters = "aZ09 <>&\"'\xC3\xA9";
        std::string text;
        for (std::size_t n = below(6); n > 0; --n) {
            text += characters[below(characters.size())];
        }
        return text;
    }

    void addNode() {
        const NodeTypeInfo& type = nodeTypes[below(nodeTypes.size())];
        const Point size{1 + static_cast<int>(below(16)), 1 + static_cast<int>(below(16))};
        const NodeId id = material_.addNode(anyText(), type, size).getId();
        undos_.push_back([this, id] { material_.removeNode(material_.findNode(id)); });
    }

    void removeNode() {
        if (empty()) {
            return;
        }
        auto removed = std::make_shared<RemovedNode>(material_.removeNode(&anyNode()));
        undos_.push_back([this, removed] { material_.restoreNode(std::move(*removed)); });
    }

    void connect() {
        if (empty()) {
            return;
        }
        VisualNode& to = anyNode();
        const int port = static_cast<int>(below(3));
        if (material_.connect(anyNode(), -1, to, port) != nullptr) {
            const NodeId target = to.getId();
            undos_.push_back(
                [this, target, port] { material_.removeCable(material_.findCable(target, port)); });
        }
    }

    void disconnect() {
        if (material_.getCableCount() == 0) {
            return;
        }
        const RemovedCable removed =
            material_.removeCable(&material_.getCable(below(material_.getCableCount())));
        undos_.push_back([this, removed] { material_.restoreCable(removed); });
    }

    void move() {
        if (empty()) {
            return;
        }
        const NodeId id = anyNode().getId();
        const Point to{static_cast<int>(below(2000)) - 1000, static_cast<int>(below(2000)) - 1000};
        const Point from = material_.moveNode(id, to);
        undos_.push_back([this, id, from] { material_.moveNode(id, from); });
    }

    void rename() {
        if (empty()) {
            return;
        }
        const NodeId id = anyNode().getId();
        auto previous = std::make_shared<std::string>(material_.renameNode(id, anyText()));
        undos_.push_back([this, id, previous] { material_.renameNode(id, *previous); });
    }

    void resize() {
        if (empty()) {
            return;
        }
        const NodeId id = anyNode().getId();
        const Point previous =
            material_.resizeNode(id, {static_cast<int>(below(20)), static_cast<int>(below(20))});
        undos_.push_back([this, id, previous] { material_.resizeNode(id, previous); });
    }

    void setParameter() {
        if (empty()) {
            return;
        }
        const VisualNode& node = anyNode();
        const std::size_t count = node.getTypeInfo()->parameters.size();
        const std::size_t parameter = below(count);
        ParameterValue value = static_cast<std::int32_t>(random_());
        if (node.getTypeInfo()->parameters[parameter].kind == ParameterKind::Text) {
            value = anyText();
        }
        const NodeId id = node.getId();
        auto previous = std::make_shared<ParameterValue>(material_.setParameter(id, parameter, value));
        undos_.push_back(
            [this, id, parameter, previous] { material_.setParameter(id, parameter, *previous); });
    }

    Material& material_;
    std::mt19937 random_;
    std::vector<std::function<void()>> undos_;
};

class MaterialUndoTest : public testing::TestWithParam<const char*> {};

} // namespace

// Any series of edits undone in reverse gives back the file and the export byte for byte.
TEST_P(MaterialUndoTest, RandomEditsUndoneInReverseRestoreTheBytes) {
    Material material;
    ScriptedPrompt prompt;
    ASSERT_EQ(loadXml(material, std::string(VELVOR_SOURCE_DIR "/examples/") + GetParam(), prompt),
              LoadOutcome::Complete);
    const std::string xml = materialToXml(material);
    const std::vector<std::uint8_t> packed = exportPacked(material);

    int changedRuns = 0;
    for (unsigned seed = 1; seed <= 200; ++seed) {
        SCOPED_TRACE(seed);
        RandomEditor editor(material, seed);
        for (int i = 0; i < 40; ++i) {
            editor.edit();
        }
        changedRuns += materialToXml(material) != xml;
        editor.undoAll();
        ASSERT_EQ(materialToXml(material), xml);
        ASSERT_EQ(exportPacked(material), packed);
    }
    EXPECT_GT(changedRuns, 150); // the edits did change the material
}

INSTANTIATE_TEST_SUITE_P(Examples, MaterialUndoTest,
                         testing::Values("labelled-panel.ostra-material", "metal-plate.ostra-material",
                                         "tiles.ostra-material"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name;
                             for (const char* c = info.param; *c != '.'; ++c) {
                                 name += *c == '-' ? '_' : *c;
                             }
                             return name;
                         });

// A load is one replacement for whoever watches, however many nodes it brings.
TEST(MaterialLoadTest, LoadingIsOneReplacement) {
    struct Listener : MaterialObserver {
        void materialChanged(const MaterialChange& change) override {
            heard.push_back(change.kind);
            nodesSeen = material->getNodeCount();
        }
        const Material* material = nullptr;
        std::vector<MaterialChange::Kind> heard;
        std::size_t nodesSeen = 0;
    } listener;
    Material material;
    listener.material = &material;
    material.addObserver(&listener);
    ScriptedPrompt prompt;
    ASSERT_EQ(loadXml(material, VELVOR_SOURCE_DIR "/examples/tiles.ostra-material", prompt),
              LoadOutcome::Complete);
    EXPECT_EQ(listener.heard, std::vector{MaterialChange::Kind::Replaced});
    EXPECT_EQ(listener.nodesSeen, 10u);

    listener.heard.clear();
    EXPECT_EQ(loadXmlText(material, "<other/>", prompt), LoadOutcome::Rejected);
    EXPECT_EQ(listener.heard, std::vector{MaterialChange::Kind::Replaced});
    EXPECT_EQ(listener.nodesSeen, 0u);
    material.removeObserver(&listener);
}
