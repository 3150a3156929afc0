#include "io/PackedBudget.h"

#include "MaterialBuilding.h"
#include "RandomEdits.h"
#include "ScriptedPrompt.h"
#include "base/Exception.h"
#include "io/MaterialXml.h"
#include "io/PackedExport.h"

#include <gtest/gtest.h>
#include <numeric>

namespace {

// The budget must be what a real export writes, byte for byte in total and record by record.
void expectBudgetOfRealExport(const Material& material) {
    const PackedBudget budget = measurePackedBudget(material);
    try {
        const std::size_t exported = exportPacked(material).size();
        ASSERT_TRUE(budget.total.has_value()) << budget.problem;
        EXPECT_EQ(*budget.total, exported);
        const std::size_t records =
            std::accumulate(budget.recordBytes.begin(), budget.recordBytes.end(), std::size_t{0},
                            [](std::size_t sum, const auto& entry) { return sum + entry.second; });
        EXPECT_EQ(records + 1, exported); // and the terminator
    } catch (const Exception& e) {
        EXPECT_FALSE(budget.total.has_value());
        EXPECT_EQ(budget.problem, e.getMessage());
        EXPECT_TRUE(budget.recordBytes.empty());
    }
}

} // namespace

TEST(PackedBudgetTest, EqualsTheExportOfEveryExampleThroughRandomEdits) {
    for (const char* name : {"labelled-panel", "metal-plate", "tiles"}) {
        SCOPED_TRACE(name);
        Material material;
        ScriptedPrompt prompt;
        ASSERT_EQ(loadXml(material, std::string(VELVOR_SOURCE_DIR) + "/examples/" + name + ".ostra-material",
                          prompt),
                  LoadOutcome::Complete);
        expectBudgetOfRealExport(material);
        std::mt19937 random(7);
        for (int edit = 0; edit < 60; ++edit) {
            randomEdit(material, random);
            expectBudgetOfRealExport(material);
        }
    }
}

TEST(PackedBudgetTest, RecordsAreCountedAsTheFormatLaysThemOut) {
    EmptyMaterial material;
    auto& text = addTyped<Velvor::Text>(material, 5, "Label", {8, 8});
    text.setText("Hello");
    addTyped<Velvor::Collector>(material, 0, "Out", {8, 8});
    addTyped<Velvor::Checkboard>(material, 1, "Unused", {8, 8});
    material.connect(material.getNode(0), -1, material.getNode(1), 0);
    const PackedBudget budget = measurePackedBudget(material);
    // Text: header 5, fixed fields 14, "Hello" and its zero, input count. Collector: 5 + 2 + 1 + 1.
    EXPECT_EQ(budget.recordBytes.at(material.getNode(0).getId()), 5u + 14 + 6 + 1);
    EXPECT_EQ(budget.recordBytes.at(material.getNode(1).getId()), 9u);
    EXPECT_FALSE(budget.recordBytes.contains(material.getNode(2).getId())); // no collector needs it
    EXPECT_EQ(budget.total, 26u + 9 + 1);
}
