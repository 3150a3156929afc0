#include "model/Cable.h"
#include "model/OperatorNodes.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Attributes = AttributeList;

// Answers from a list and notes which keys were asked for, in order.
class RecordingSource : public AttributeSource {
public:
    explicit RecordingSource(Attributes attributes) : attributes_(std::move(attributes)) {}
    std::optional<std::string> get(std::string_view key) const override {
        asked.emplace_back(key);
        return AttributeListSource(attributes_).get(key);
    }
    mutable std::vector<std::string> asked;

private:
    Attributes attributes_;
};

} // namespace

TEST(NodeAttributesTest, DefaultTextNodeWritesBaseAttributesThenItsParametersInOrder) {
    Operators::Text text("Title", {3, -4}, {64, 32});
    Attributes attributes;
    text.writeXml(attributes, 17);
    const Attributes expected = {
        {"id", "17"},         {"typeId", "5"},        {"name", "Title"}, {"size", "64,32"},
        {"position", "3,-4"}, {"x", "2048"},          {"y", "2048"},     {"fontsize", "256"},
        {"weight", "400"},    {"colour", "00FFFFFF"}, {"font", "0"},     {"text", "Pwnage!"},
    };
    EXPECT_EQ(attributes, expected);
}

TEST(NodeAttributesTest, WrittenParametersReadBackEqualForEveryType) {
    for (const NodeTypeInfo& type : nodeTypes) {
        SCOPED_TRACE(std::string(type.name));
        const auto original = type.create("n", {}, {2, 2});
        // Distinct values, some outside the editor ranges, which are kept.
        std::int32_t value = -3;
        for (const ParameterInfo& info : type.parameters) {
            if (info.kind == ParameterKind::Text) {
                info.setText(original->getOperator(), "<a & \"b\">");
            } else if (info.kind == ParameterKind::Colour) {
                info.set(original->getOperator(), static_cast<std::int32_t>(0x80C0FF01u) + value);
            } else {
                info.set(original->getOperator(), value * 1000);
            }
            value += 7;
        }
        Attributes attributes;
        original->writeXml(attributes, 5);
        const auto copy = type.create("m", {}, {2, 2});
        copy->readXml(AttributeListSource(attributes));
        for (const ParameterInfo& info : type.parameters) {
            if (info.kind == ParameterKind::Text) {
                EXPECT_EQ(info.getText(copy->getOperator()), "<a & \"b\">");
            } else {
                EXPECT_EQ(info.get(copy->getOperator()), info.get(original->getOperator())) << info.xmlKey;
            }
        }
    }
}

TEST(NodeAttributesTest, AbsentNumbersBecomeZeroWhileAbsentColourAndTextStay) {
    Operators::Mixer mixer("m", {}, {1, 1});
    mixer.getTypedOperator().type = 2;
    mixer.readXml(AttributeListSource(Attributes{{"amountA", "300"}}));
    EXPECT_EQ(mixer.getTypedOperator().amountA, 300);
    EXPECT_EQ(mixer.getTypedOperator().amountB, 0); // not the default 256
    EXPECT_EQ(mixer.getTypedOperator().type, 0);

    Operators::SubPlasma plasma("p", {}, {1, 1});
    plasma.readXml(AttributeListSource(Attributes{{"grid", "5"}, {"seed", "9"}}));
    EXPECT_EQ(plasma.getTypedOperator().colour, 0xFFFFFFFFu);

    Operators::Text text("t", {}, {1, 1});
    text.readXml(AttributeListSource(Attributes{}));
    EXPECT_EQ(text.getTypedOperator().getText(), "Pwnage!");
    EXPECT_EQ(text.getTypedOperator().colour, 0x00FFFFFFu);
    EXPECT_EQ(text.getTypedOperator().x, 0);
    EXPECT_EQ(text.getTypedOperator().weight, 0);
}

TEST(NodeAttributesTest, NumbersReadLikeAtoiAndColoursTolerantly) {
    Operators::Mixer mixer("m", {}, {1, 1});
    // 70000 = 0x11170 keeps its low 16 bits 0x1170 = 4464; 98304 = 0x18000 gives -32768.
    mixer.readXml(
        AttributeListSource(Attributes{{"amountA", "70000"}, {"amountB", " -12abc"}, {"type", "98304"}}));
    EXPECT_EQ(mixer.getTypedOperator().amountA, 4464);
    EXPECT_EQ(mixer.getTypedOperator().amountB, -12);
    EXPECT_EQ(mixer.getTypedOperator().type, -32768);
    mixer.readXml(AttributeListSource(Attributes{{"amountA", "0x10"}, {"amountB", "+7"}, {"type", ""}}));
    EXPECT_EQ(mixer.getTypedOperator().amountA, 0);
    EXPECT_EQ(mixer.getTypedOperator().amountB, 7);

    Operators::SubPlasma plasma("p", {}, {1, 1});
    plasma.readXml(AttributeListSource(Attributes{{"colour", "ff80a0b1"}}));
    EXPECT_EQ(plasma.getTypedOperator().colour, 0xFF80A0B1u);
    plasma.readXml(AttributeListSource(Attributes{{"colour", "FF80A0B1"}}));
    EXPECT_EQ(plasma.getTypedOperator().colour, 0xFF80A0B1u);
    plasma.readXml(AttributeListSource(Attributes{{"colour", "0x10"}}));
    EXPECT_EQ(plasma.getTypedOperator().colour, 16u);
}

TEST(NodeAttributesTest, TextReadsFontBeforeColourAndCutsOverlongText) {
    RecordingSource source({{"text", std::string(2000, 'a')}, {"font", "3"}});
    Operators::Text text("t", {}, {1, 1});
    text.readXml(source);
    EXPECT_EQ(source.asked,
              (std::vector<std::string>{"x", "y", "fontsize", "weight", "font", "colour", "text"}));
    EXPECT_EQ(text.getTypedOperator().font, 3);
    EXPECT_EQ(text.getTypedOperator().getText(), std::string(1023, 'a'));
}

TEST(NodeAttributesTest, CableWritesItsEndsAndPort) {
    Operators::Checkboard board("b", {}, {1, 1});
    Operators::Mixer mixer("m", {}, {1, 1});
    const Cable cable(board, mixer, 1);
    EXPECT_TRUE(cable.involves(board));
    EXPECT_TRUE(cable.involves(mixer));
    Attributes attributes;
    cable.writeXml(attributes, 4, -9);
    EXPECT_EQ(attributes, (Attributes{{"fromNode", "4"}, {"toNode", "-9"}, {"toPort", "1"}}));
}
