#include "MaterialBuilding.h"
#include "ScriptedPrompt.h"
#include "base/Progress.h"
#include "core/PackedMaterial.h"
#include "io/MaterialXml.h"
#include "io/PackedExport.h"

#include <cstring>
#include <gtest/gtest.h>

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
