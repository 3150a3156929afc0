#include "model/NodeType.h"
#include "model/OperatorNodes.h"

#include <utility>

namespace {

template <class Member> struct FieldOf;
template <class Owner_, class Value_> struct FieldOf<Value_ Owner_::*> {
    using Owner = Owner_;
    using Value = Value_;
};

// Accessors for a public parameter field, one instantiation per field. The cast checks that the
// operator really is of the field's class.
template <auto field> std::int32_t getField(const Velvor::Operator& op) {
    using Owner = typename FieldOf<decltype(field)>::Owner;
    return static_cast<std::int32_t>(dynamic_cast<const Owner&>(op).*field);
}

template <auto field> void setField(Velvor::Operator& op, std::int32_t value) {
    using Field = FieldOf<decltype(field)>;
    dynamic_cast<typename Field::Owner&>(op).*field = static_cast<typename Field::Value>(value);
}

constexpr ParameterInfo describe(std::string_view label, std::string_view key, ParameterKind kind,
                                 std::int32_t defaultValue) {
    ParameterInfo info;
    info.label = label;
    info.xmlKey = key;
    info.kind = kind;
    info.defaultValue = defaultValue;
    return info;
}

template <auto field>
constexpr ParameterInfo intParameter(std::string_view label, std::string_view key, std::int16_t defaultValue,
                                     std::int16_t minimum, std::int16_t maximum) {
    ParameterInfo info = describe(label, key, ParameterKind::Int, defaultValue);
    info.minimum = minimum;
    info.maximum = maximum;
    info.get = &getField<field>;
    info.set = &setField<field>;
    return info;
}

template <auto field>
constexpr ParameterInfo enumParameter(std::string_view label, std::string_view key, ParameterKind kind,
                                      std::int16_t defaultValue, std::span<const EnumOption> options) {
    ParameterInfo info = describe(label, key, kind, defaultValue);
    info.options = options;
    info.get = &getField<field>;
    info.set = &setField<field>;
    return info;
}

template <auto field>
constexpr ParameterInfo colourParameter(std::string_view label, std::string_view key,
                                        Velvor::Pixel defaultValue) {
    ParameterInfo info = describe(label, key, ParameterKind::Colour, static_cast<std::int32_t>(defaultValue));
    info.get = &getField<field>;
    info.set = &setField<field>;
    return info;
}

std::string_view textOf(const Velvor::Operator& op) {
    return dynamic_cast<const Velvor::Text&>(op).getText();
}

void assignText(Velvor::Operator& op, std::string_view text) {
    dynamic_cast<Velvor::Text&>(op).setText(text);
}

constexpr ParameterInfo textParameter(std::string_view label, std::string_view key,
                                      std::string_view defaultText) {
    ParameterInfo info = describe(label, key, ParameterKind::Text, 0);
    info.defaultText = defaultText;
    info.getText = &textOf;
    info.setText = &assignText;
    return info;
}

template <class Node> std::unique_ptr<VisualNode> createNode(std::string name, Point position, Point size) {
    return std::make_unique<Node>(std::move(name), position, size);
}

constexpr std::string_view sourceName[] = {"Source"};
constexpr std::string_view mixerNames[] = {"Source A", "Source B"};

// The slot index has no editor: the default collectors set it, the file carries it.
constexpr ParameterInfo collectorParameters[] = {
    [] {
        ParameterInfo info = intParameter<&Velvor::Collector::index>("Slot index", "index", 0, 0, 4);
        info.inPanel = false;
        return info;
    }(),
};

constexpr ParameterInfo checkerboardParameters[] = {
    intParameter<&Velvor::Checkboard::blocks>("Number of blocks", "blocks", 4, 1, 64),
};

constexpr EnumOption blendings[] = {{0, "Add"}, {1, "Multiply"}, {2, "Hue"}, {3, "Saturation"}};

constexpr ParameterInfo mixerParameters[] = {
    intParameter<&Velvor::Mixer::amountA>("Amount A", "amountA", 256, 0, 512),
    intParameter<&Velvor::Mixer::amountB>("Amount B", "amountB", 256, 0, 512),
    enumParameter<&Velvor::Mixer::type>("Blending", "type", ParameterKind::EnumRadio, 0, blendings),
};

constexpr ParameterInfo subplasmaParameters[] = {
    intParameter<&Velvor::SubPlasma::grid>("Grid", "grid", 4, 0, 14),
    intParameter<&Velvor::SubPlasma::seed>("Random Seed", "seed", 0, 0, 512),
    colourParameter<&Velvor::SubPlasma::colour>("Colour", "colour", 0xFFFFFFFFu),
};

constexpr EnumOption channels[] = {{0, "Red"}, {1, "Green"},      {2, "Blue"},
                                   {3, "Hue"}, {4, "Saturation"}, {5, "Brightness"}};

constexpr ParameterInfo displacementParameters[] = {
    intParameter<&Velvor::Displacement::amountX>("Amount X", "amountX", 16, 0, 255),
    intParameter<&Velvor::Displacement::amountY>("Amount Y", "amountY", 16, 0, 255),
    enumParameter<&Velvor::Displacement::amountXSource>("Amount X Source", "amountXSource",
                                                        ParameterKind::EnumList, 0, channels),
    enumParameter<&Velvor::Displacement::amountYSource>("Amount Y Source", "amountYSource",
                                                        ParameterKind::EnumList, 0, channels),
};

constexpr ParameterInfo normalMapParameters[] = {
    intParameter<&Velvor::NormalMap::amount>("Bump Amount", "amount", 256, 1, 8192),
};

constexpr EnumOption weights[] = {{100, "Thin"},   {300, "Light"}, {400, "Normal"},
                                  {500, "Medium"}, {700, "Bold"},  {900, "Heavy"}};

constexpr EnumOption faces[] = {
    {0, "Arial"}, {1, "Courier New"}, {2, "Tahoma"}, {3, "Verdana"}, {4, "Wingdings"}};

constexpr ParameterInfo textParameters[] = {
    intParameter<&Velvor::Text::x>("X", "x", 2048, 0, 4096),
    intParameter<&Velvor::Text::y>("Y", "y", 2048, 0, 4096),
    intParameter<&Velvor::Text::fontsize>("Size", "fontsize", 256, 0, 16384),
    enumParameter<&Velvor::Text::weight>("Weight", "weight", ParameterKind::EnumList, 400, weights),
    colourParameter<&Velvor::Text::colour>("Colour", "colour", 0x00FFFFFFu),
    enumParameter<&Velvor::Text::font>("Font", "font", ParameterKind::EnumList, 0, faces),
    textParameter("Text", "text", "Pwnage!"),
};

} // namespace

const std::array<NodeTypeInfo, 7> nodeTypes = {{
    {0, "Collector", 0, &createNode<Operators::Collector>, false, {{sourceName}, ""}, collectorParameters},
    {1, "Checkerboard", 1107, &createNode<Operators::Checkboard>, true, {{}, ""}, checkerboardParameters},
    {2, "Mixer", 1129, &createNode<Operators::Mixer>, true, {{mixerNames}, ""}, mixerParameters},
    {3, "Subplasma", 1132, &createNode<Operators::SubPlasma>, true, {{}, ""}, subplasmaParameters},
    {4,
     "Displacement",
     1133,
     &createNode<Operators::Displacement>,
     true,
     {{sourceName}, "Modulator"},
     displacementParameters},
    {6, "NormalMap", 1135, &createNode<Operators::NormalMap>, true, {{}, "Source"}, normalMapParameters},
    {5, "Text", 1134, &createNode<Operators::Text>, true, {{}, "Source"}, textParameters},
}};

const NodeTypeInfo* findNodeType(std::int32_t id) {
    for (auto it = nodeTypes.rbegin(); it != nodeTypes.rend(); ++it) {
        if (it->id == id) {
            return &*it;
        }
    }
    return nullptr;
}
