#include "MaterialBuilding.h"
#include "ScriptedPrompt.h"
#include "base/Exception.h"
#include "base/Progress.h"
#include "core/packed/PackedMaterial.h"
#include "io/MaterialXml.h"
#include "io/PackedExport.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>

// The run-time reader, fed the export, must produce what the editor renders.
TEST(PackedRenderTest, ExportRendersLikeTheEditorForEveryNodeType) {
    const Point size{48, 40};
    Material material;
    material.clear();
    addTyped<Velvor::Checkboard>(material, 1, "Chess", size).blocks = 5;
    auto& plasma = addTyped<Velvor::SubPlasma>(material, 3, "Clouds", size);
    plasma.grid = 3;
    plasma.seed = 42;
    plasma.colour = 0xFF80C040u;
    auto& mixer = addTyped<Velvor::Mixer>(material, 2, "Mix", size);
    mixer.amountA = 200;
    mixer.amountB = 128;
    mixer.type = 2;
    auto& text = addTyped<Velvor::Text>(material, 5, "Label", size);
    text.setText("Hi!");
    text.fontsize = 1400;
    text.x = 300;
    auto& displacement = addTyped<Velvor::Displacement>(material, 4, "Shift", size);
    displacement.amountX = 5;
    displacement.amountY = 3;
    displacement.amountYSource = 5;
    addTyped<Velvor::NormalMap>(material, 6, "Bumps", size).amount = 700;
    addTyped<Velvor::Collector>(material, 0, "Diffuse", size).index = 0;
    addTyped<Velvor::Collector>(material, 0, "Normals", size).index = 4;
    addTyped<Velvor::Collector>(material, 0, "Unused", size).index = 1;

    const auto join = [&](std::size_t from, std::size_t to, int port) {
        ASSERT_NE(material.connect(material.getNode(from), -1, material.getNode(to), port), nullptr);
    };
    join(1, 2, 1);
    join(0, 2, 0);
    join(3, 4, 1);
    join(2, 4, 0);
    join(4, 5, 0);
    join(4, 6, 0);
    join(5, 7, 0);

    NullProgress progress;
    material.renderAll(progress);
    const std::vector<std::uint8_t> bytes = exportPacked(material);
    Velvor::PackedMaterial packed(bytes);
    packed.render();

    const auto outputs = packed.getCollectors();
    ASSERT_EQ(outputs.size(), 3u);
    const std::size_t collectorNodes[] = {6, 7, 8};
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const VisualNode& collector = material.getNode(collectorNodes[i]);
        SCOPED_TRACE(collector.getName());
        const Velvor::Image& expected = collector.getOperator().getImage();
        const Velvor::Image& actual = *outputs[i].image;
        EXPECT_EQ(outputs[i].slotIndex,
                  dynamic_cast<const Velvor::Collector&>(collector.getOperator()).index);
        ASSERT_TRUE(actual.sameSizeAs(expected));
        std::size_t differing = 0;
        for (int p = 0; p < expected.getPixelCount(); ++p) {
            differing += actual.getPixels()[p] != expected.getPixels()[p];
        }
        EXPECT_EQ(differing, 0u);
    }
    // The chain really produced something: the normal map's output is not blank.
    const Velvor::Image& normals = *outputs[1].image;
    EXPECT_NE(normals.getPixels()[0], normals.getPixels()[normals.getPixelCount() / 2 + 7]);
}

// Every shipped example: the packed export read back renders each collector to the same pixels.
TEST(PackedRenderTest, EveryExampleMaterialRoundTripsThroughThePackedForm) {
    for (const char* name : {"tiles", "metal-plate", "labelled-panel"}) {
        SCOPED_TRACE(name);
        Material material;
        ScriptedPrompt prompt; // any question or message would be a damaged example
        ASSERT_EQ(loadXml(material, std::string(VELVOR_SOURCE_DIR) + "/examples/" + name + ".ostra-material",
                          prompt),
                  LoadOutcome::Complete);
        NullProgress progress;
        material.renderAll(progress);
        Velvor::PackedMaterial packed(exportPacked(material));
        packed.render();

        std::vector<const VisualNode*> collectors;
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            if (material.getNode(i).getTypeId() == 0) {
                collectors.push_back(&material.getNode(i));
            }
        }
        const auto outputs = packed.getCollectors();
        ASSERT_EQ(outputs.size(), collectors.size());
        for (std::size_t i = 0; i < outputs.size(); ++i) {
            const VisualNode& collector = *collectors[i];
            ASSERT_FALSE(collector.isDirty()) << collector.getName() << " was not rendered";
            const Velvor::Image& expected = collector.getOperator().getImage();
            ASSERT_TRUE(outputs[i].image->sameSizeAs(expected)) << collector.getName();
            EXPECT_EQ(0, std::memcmp(outputs[i].image->getPixels(), expected.getPixels(),
                                     static_cast<std::size_t>(expected.getPixelCount()) * 4))
                << collector.getName();
        }
    }
}

namespace {

// A random material of a few nodes: random types, mostly one size with some others, cables mostly from
// earlier nodes (now and then from any node, which makes cycles) and now and then an open port.
struct RandomMaterial : EmptyMaterial {
    explicit RandomMaterial(std::mt19937& random) {
        const auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
        const Point sizes[] = {{8, 8}, {8, 8}, {8, 8}, {4, 4}, {8, 4}};
        const int count = 3 + static_cast<int>(random() % 8);
        for (int i = 0; i < count; ++i) {
            const int typeId = i < 2 ? 1 + static_cast<int>(random() % 2) * 2 // a generator first
                                     : static_cast<int>(random() % 7);
            std::string name = "n"; // ("n" + to_string trips a false -Wrestrict in g++ 12)
            name += std::to_string(i);
            VisualNode& node =
                addNode(name, *findNodeType(typeId), chance(85) ? sizes[0] : sizes[random() % 5]);
            randomiseParameters(node.getOperator(), random);
        }
        for (std::size_t to = 0; to < getNodeCount(); ++to) {
            for (int port = 0; port < getNode(to).getInputCount(); ++port) {
                if (chance(5)) {
                    continue;
                }
                const std::size_t from = to > 0 && chance(92) ? random() % to : random() % getNodeCount();
                connect(getNode(from), -1, getNode(to), port);
            }
        }
    }

    static void randomiseParameters(Velvor::Operator& op, std::mt19937& random) {
        const auto pick = [&](int low, int high) {
            return static_cast<std::int16_t>(low + static_cast<int>(random() % (high - low + 1)));
        };
        if (auto* chess = dynamic_cast<Velvor::Checkboard*>(&op)) {
            chess->blocks = pick(1, 5);
        } else if (auto* plasma = dynamic_cast<Velvor::SubPlasma*>(&op)) {
            plasma->grid = pick(1, 4);
            plasma->seed = pick(0, 1000);
            plasma->colour = random() | 0xFF000000u;
        } else if (auto* mixer = dynamic_cast<Velvor::Mixer*>(&op)) {
            mixer->amountA = pick(0, 512);
            mixer->amountB = pick(0, 512);
            mixer->type = pick(0, 3);
        } else if (auto* shift = dynamic_cast<Velvor::Displacement*>(&op)) {
            shift->amountX = pick(0, 20);
            shift->amountY = pick(0, 20);
            shift->amountXSource = pick(0, 5);
            shift->amountYSource = pick(0, 5);
        } else if (auto* normals = dynamic_cast<Velvor::NormalMap*>(&op)) {
            normals->amount = pick(1, 2000);
        } else if (auto* collector = dynamic_cast<Velvor::Collector*>(&op)) {
            collector->index = pick(0, 4);
        }
    }
};

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

} // namespace

// Whatever the export writes, the reader accepts and renders to the editor's pixels; whatever it
// refuses, it refuses for a reason the format has.
TEST(PackedRenderTest, RandomMaterialsExportOnlyWhatTheReaderRendersAlike) {
    int exported = 0;
    int refusedSizes = 0;
    for (unsigned seed = 1; seed <= 400; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        RandomMaterial material(random);
        NullProgress progress;
        material.renderAll(progress);
        std::vector<std::uint8_t> bytes;
        try {
            bytes = exportPacked(material);
        } catch (const Exception& e) {
            const std::string& why = e.getMessage();
            refusedSizes += startsWith(why, "Ai, found a cable between nodes of different sizes!");
            EXPECT_TRUE(startsWith(why, "Ai, found a cable between nodes of different sizes!") ||
                        startsWith(why, "Ai, found a node which doesn't have all its inputs connected!") ||
                        startsWith(why, "Ai, found a cycle of cables!"))
                << why;
            continue;
        }
        ++exported;
        Velvor::PackedMaterial packed(bytes);
        packed.render();
        const auto outputs = packed.getCollectors();
        std::size_t k = 0;
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            const VisualNode& node = material.getNode(i);
            if (node.getTypeId() != 0) {
                continue;
            }
            ASSERT_LT(k, outputs.size());
            const Velvor::Image& expected = node.getOperator().getImage();
            const Velvor::Image& actual = *outputs[k++].image;
            ASSERT_TRUE(actual.sameSizeAs(expected)) << node.getName();
            EXPECT_EQ(0, std::memcmp(actual.getPixels(), expected.getPixels(),
                                     static_cast<std::size_t>(expected.getPixelCount()) * 4))
                << node.getName();
        }
        EXPECT_EQ(k, outputs.size());
    }
    // The generator must exercise both sides of the rule.
    EXPECT_GT(exported, 100);
    EXPECT_GT(refusedSizes, 20);
}
