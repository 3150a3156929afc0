#include "model/NodeType.h"
#include "model/OperatorNodes.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

using Options = std::vector<std::pair<int, std::string>>;

struct ExpectedParameter {
    std::string label;
    std::string key;
    ParameterKind kind;
    long long defaultValue; // the colour's bits for colours
    int minimum = 0;
    int maximum = 0;
    Options options = {};
};

struct ExpectedType {
    int id;
    std::string name;
    bool hasOutput;
    int inputCount;
    std::vector<std::string> portNames; // ports 0 to 3
    std::vector<ExpectedParameter> parameters;
};

// The catalogue as the material format and the panel need it, row by row.
// clang-format off
const Options channels = {{0, "Red"}, {1, "Green"}, {2, "Blue"}, {3, "Hue"}, {4, "Saturation"}, {5, "Brightness"}};

const std::vector<ExpectedType> expectedTypes = {
    {0, "Collector", false, 1, {"Source", "", "", ""}, {}},
    {1, "Checkerboard", true, 0, {"", "", "", ""}, {
        {"Number of blocks", "blocks", ParameterKind::Int, 4, 1, 64}}},
    {2, "Mixer", true, 2, {"Source A", "Source B", "", ""}, {
        {"Amount A", "amountA", ParameterKind::Int, 256, 0, 512},
        {"Amount B", "amountB", ParameterKind::Int, 256, 0, 512},
        {"Blending", "type", ParameterKind::EnumRadio, 0, 0, 0,
         {{0, "Add"}, {1, "Multiply"}, {2, "Hue"}, {3, "Saturation"}}}}},
    {3, "Subplasma", true, 0, {"", "", "", ""}, {
        {"Grid", "grid", ParameterKind::Int, 4, 0, 14},
        {"Random Seed", "seed", ParameterKind::Int, 0, 0, 512},
        {"Colour", "colour", ParameterKind::Colour, 0xFFFFFFFF}}},
    {4, "Displacement", true, 2, {"Source", "Modulator", "Modulator", "Modulator"}, {
        {"Amount X", "amountX", ParameterKind::Int, 16, 0, 255},
        {"Amount Y", "amountY", ParameterKind::Int, 16, 0, 255},
        {"Amount X Source", "amountXSource", ParameterKind::EnumList, 0, 0, 0, channels},
        {"Amount Y Source", "amountYSource", ParameterKind::EnumList, 0, 0, 0, channels}}},
    {6, "NormalMap", true, 1, {"Source", "Source", "Source", "Source"}, {
        {"Bump Amount", "amount", ParameterKind::Int, 256, 1, 8192}}},
    {5, "Text", true, 0, {"Source", "Source", "Source", "Source"}, {
        {"X", "x", ParameterKind::Int, 2048, 0, 4096},
        {"Y", "y", ParameterKind::Int, 2048, 0, 4096},
        {"Size", "fontsize", ParameterKind::Int, 256, 0, 16384},
        {"Weight", "weight", ParameterKind::EnumList, 400, 0, 0,
         {{100, "Thin"}, {300, "Light"}, {400, "Normal"}, {500, "Medium"}, {700, "Bold"}, {900, "Heavy"}}},
        {"Colour", "colour", ParameterKind::Colour, 0x00FFFFFF},
        {"Font", "font", ParameterKind::EnumList, 0, 0, 0,
         {{0, "Arial"}, {1, "Courier New"}, {2, "Tahoma"}, {3, "Verdana"}, {4, "Wingdings"}}},
        {"Text", "text", ParameterKind::Text, 0}}},
};
// clang-format on

} // namespace

TEST(NodeCatalogueTest, TableMatchesTheTypesRowByRow) {
    ASSERT_EQ(nodeTypes.size(), expectedTypes.size());
    for (std::size_t t = 0; t < expectedTypes.size(); ++t) {
        const ExpectedType& want = expectedTypes[t];
        const NodeTypeInfo& type = nodeTypes[t];
        SCOPED_TRACE(want.name);
        EXPECT_EQ(type.id, want.id);
        EXPECT_EQ(type.name, want.name);
        // The loader scans from the last row: ids 6 and 5 still find rows 5 and 6.
        EXPECT_EQ(findNodeType(want.id), &type);

        const auto node = type.create("n", Point{3, 4}, Point{256, 256});
        EXPECT_EQ(node->getTypeId(), want.id);
        EXPECT_EQ(node->getTypeName(), want.name);
        EXPECT_EQ(node->getTypeInfo(), &type);
        EXPECT_EQ(node->hasOutput(), want.hasOutput);
        EXPECT_EQ(node->getInputCount(), want.inputCount);
        EXPECT_TRUE(node->isDirty());
        EXPECT_EQ(node->getPosition(), (Point{3, 4}));
        for (int port = 0; port < 4; ++port) {
            EXPECT_EQ(node->getInputName(port), want.portNames[static_cast<std::size_t>(port)])
                << "port " << port;
        }

        // The collector's slot index is a file attribute without an editor.
        const std::vector<ExpectedParameter>& wanted = want.parameters;
        std::size_t first = 0;
        if (want.id == 0) {
            ASSERT_EQ(type.parameters.size(), 1u);
            EXPECT_EQ(type.parameters[0].xmlKey, "index");
            EXPECT_EQ(type.parameters[0].kind, ParameterKind::Int);
            EXPECT_FALSE(type.parameters[0].inPanel);
            EXPECT_EQ(type.parameters[0].get(node->getOperator()), 0);
            first = 1;
        }
        ASSERT_EQ(type.parameters.size() - first, wanted.size());
        for (std::size_t p = 0; p < wanted.size(); ++p) {
            const ExpectedParameter& w = wanted[p];
            const ParameterInfo& info = type.parameters[first + p];
            SCOPED_TRACE(w.key);
            EXPECT_EQ(info.label, w.label);
            EXPECT_EQ(info.xmlKey, w.key);
            EXPECT_EQ(info.kind, w.kind);
            EXPECT_TRUE(info.inPanel);
            if (w.kind == ParameterKind::Text) {
                EXPECT_EQ(info.getText(node->getOperator()), "Pwnage!");
                continue;
            }
            // A new operator holds the type's default.
            const auto bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(w.defaultValue));
            EXPECT_EQ(info.get(node->getOperator()), bits);
            if (w.kind == ParameterKind::Int) {
                EXPECT_EQ(info.minimum, w.minimum);
                EXPECT_EQ(info.maximum, w.maximum);
            }
            Options options;
            for (const EnumOption& option : info.options) {
                options.emplace_back(option.value, std::string(option.label));
            }
            EXPECT_EQ(options, w.options);
        }

        // The file carries the base attributes, then the parameters in the same order.
        AttributeList attributes;
        node->writeXml(attributes, 1);
        std::vector<std::string> keys = {"id", "typeId", "name", "size", "position"};
        if (want.id == 0) {
            keys.push_back("index");
        }
        for (const ExpectedParameter& w : wanted) {
            keys.push_back(w.key);
        }
        std::vector<std::string> written;
        for (const auto& [key, value] : attributes) {
            written.push_back(key);
        }
        EXPECT_EQ(written, keys);
        EXPECT_EQ(attributes[3].second, "256,256");
    }
    EXPECT_EQ(findNodeType(7), nullptr);
    EXPECT_EQ(findNodeType(-1), nullptr);
}

// Each record must reach its own field: a swapped accessor would write the neighbour.
TEST(NodeCatalogueTest, ParameterRecordsWriteTheirOwnFields) {
    auto setAll = [](VisualNode& node) {
        std::int32_t value = 1;
        for (const ParameterInfo& info : node.getTypeInfo()->parameters) {
            if (info.kind != ParameterKind::Text) {
                info.set(node.getOperator(), value++);
            }
        }
    };
    Operators::Mixer mixer("m", {}, {1, 1});
    setAll(mixer);
    EXPECT_EQ(mixer.getTypedOperator().amountA, 1);
    EXPECT_EQ(mixer.getTypedOperator().amountB, 2);
    EXPECT_EQ(mixer.getTypedOperator().type, 3);

    Operators::SubPlasma plasma("p", {}, {1, 1});
    setAll(plasma);
    EXPECT_EQ(plasma.getTypedOperator().grid, 1);
    EXPECT_EQ(plasma.getTypedOperator().seed, 2);
    EXPECT_EQ(plasma.getTypedOperator().colour, 3u);

    Operators::Displacement displacement("d", {}, {1, 1});
    setAll(displacement);
    EXPECT_EQ(displacement.getTypedOperator().amountX, 1);
    EXPECT_EQ(displacement.getTypedOperator().amountY, 2);
    EXPECT_EQ(displacement.getTypedOperator().amountXSource, 3);
    EXPECT_EQ(displacement.getTypedOperator().amountYSource, 4);

    Operators::Text text("t", {}, {1, 1});
    setAll(text);
    const Velvor::Text& op = text.getTypedOperator();
    EXPECT_EQ(op.x, 1);
    EXPECT_EQ(op.y, 2);
    EXPECT_EQ(op.fontsize, 3);
    EXPECT_EQ(op.weight, 4);
    EXPECT_EQ(op.colour, 5u);
    EXPECT_EQ(op.font, 6);
    text.getTypeInfo()->parameters.back().setText(text.getOperator(), "abc");
    EXPECT_EQ(op.getText(), "abc");

    Operators::Checkboard board("b", {}, {1, 1});
    setAll(board);
    EXPECT_EQ(board.getTypedOperator().blocks, 1);
    Operators::NormalMap normals("n", {}, {1, 1});
    setAll(normals);
    EXPECT_EQ(normals.getTypedOperator().amount, 1);
    Operators::Collector collector("c", {}, {1, 1});
    setAll(collector);
    EXPECT_EQ(collector.getTypedOperator().index, 1);

    // 16-bit fields keep the low 16 bits; colours all 32.
    mixer.getTypeInfo()->parameters[0].set(mixer.getOperator(), 0x12345);
    EXPECT_EQ(mixer.getTypedOperator().amountA, 0x2345);
    plasma.getTypeInfo()->parameters[2].set(plasma.getOperator(), -1);
    EXPECT_EQ(plasma.getTypedOperator().colour, 0xFFFFFFFFu);
}

// The records describe the operators' own fields, each field once.
TEST(NodeCatalogueTest, EveryOperatorFieldHasExactlyOneRecord) {
    for (const NodeTypeInfo& type : nodeTypes) {
        const auto fields = type.create("n", {}, {1, 1})->getOperator().getParameterFields();
        ASSERT_EQ(type.parameters.size(), fields.size()) << type.name;
        for (const Velvor::ParameterField& field : fields) {
            EXPECT_EQ(std::count_if(type.parameters.begin(), type.parameters.end(),
                                    [&](const ParameterInfo& info) { return info.field == &field; }),
                      1)
                << type.name << " " << field.name;
        }
    }
}
