#include "model/NodeType.h"
#include "model/OperatorNodes.h"

#include <stdexcept>
#include <utility>

namespace {

using Velvor::FieldType;
using Velvor::ParameterField;

// A record bound to the operator field of that name; the field's name is the file's key. A record
// whose kind does not suit its field does not compile.
constexpr ParameterInfo describe(const ParameterField& field, std::string_view label, ParameterKind kind,
                                 FieldType fieldType, std::int32_t defaultValue) {
    if (field.type != fieldType) {
        throw std::invalid_argument("the record's kind does not suit its field");
    }
    ParameterInfo info;
    info.label = label;
    info.xmlKey = field.name;
    info.kind = kind;
    info.defaultValue = defaultValue;
    info.field = &field;
    return info;
}

constexpr ParameterInfo intParameter(const ParameterField& field, std::string_view label,
                                     std::int16_t defaultValue, std::int16_t minimum, std::int16_t maximum) {
    ParameterInfo info = describe(field, label, ParameterKind::Int, FieldType::Int16, defaultValue);
    info.minimum = minimum;
    info.maximum = maximum;
    return info;
}

constexpr ParameterInfo enumParameter(const ParameterField& field, std::string_view label, ParameterKind kind,
                                      std::int16_t defaultValue, std::span<const EnumOption> options) {
    ParameterInfo info = describe(field, label, kind, FieldType::Int16, defaultValue);
    info.options = options;
    return info;
}

constexpr ParameterInfo colourParameter(const ParameterField& field, std::string_view label,
                                        Velvor::Pixel defaultValue) {
    return describe(field, label, ParameterKind::Colour, FieldType::Word32,
                    static_cast<std::int32_t>(defaultValue));
}

constexpr ParameterInfo textParameter(const ParameterField& field, std::string_view label,
                                      std::string_view defaultText) {
    ParameterInfo info = describe(field, label, ParameterKind::Text, FieldType::Text, 0);
    info.defaultText = defaultText;
    return info;
}

// The field of that name in an operator's declaration.
template <const auto& fields> constexpr const ParameterField& field(std::string_view name) {
    return Velvor::fieldNamed(fields, name);
}

template <class Node> std::unique_ptr<VisualNode> createNode(std::string name, Point position, Point size) {
    return std::make_unique<Node>(std::move(name), position, size);
}

constexpr std::string_view sourceName[] = {"Source"};
constexpr std::string_view mixerNames[] = {"Source A", "Source B"};

// The slot index has no editor: the default collectors set it, the file carries it.
constexpr ParameterInfo collectorParameters[] = {
    [] {
        ParameterInfo info = intParameter(field<Velvor::collectorFields>("index"), "Slot index", 0, 0, 4);
        info.inPanel = false;
        return info;
    }(),
};

constexpr ParameterInfo checkerboardParameters[] = {
    intParameter(field<Velvor::checkboardFields>("blocks"), "Number of blocks", 4, 1, 64),
};

constexpr EnumOption blendings[] = {{0, "Add"}, {1, "Multiply"}, {2, "Hue"}, {3, "Saturation"}};

constexpr ParameterInfo mixerParameters[] = {
    intParameter(field<Velvor::mixerFields>("amountA"), "Amount A", 256, 0, 512),
    intParameter(field<Velvor::mixerFields>("amountB"), "Amount B", 256, 0, 512),
    enumParameter(field<Velvor::mixerFields>("type"), "Blending", ParameterKind::EnumRadio, 0, blendings),
};

constexpr ParameterInfo subplasmaParameters[] = {
    intParameter(field<Velvor::subPlasmaFields>("grid"), "Grid", 4, 0, 14),
    intParameter(field<Velvor::subPlasmaFields>("seed"), "Random Seed", 0, 0, 512),
    colourParameter(field<Velvor::subPlasmaFields>("colour"), "Colour", 0xFFFFFFFFu),
};

constexpr EnumOption channels[] = {{0, "Red"}, {1, "Green"},      {2, "Blue"},
                                   {3, "Hue"}, {4, "Saturation"}, {5, "Brightness"}};

constexpr ParameterInfo displacementParameters[] = {
    intParameter(field<Velvor::displacementFields>("amountX"), "Amount X", 16, 0, 255),
    intParameter(field<Velvor::displacementFields>("amountY"), "Amount Y", 16, 0, 255),
    enumParameter(field<Velvor::displacementFields>("amountXSource"), "Amount X Source",
                  ParameterKind::EnumList, 0, channels),
    enumParameter(field<Velvor::displacementFields>("amountYSource"), "Amount Y Source",
                  ParameterKind::EnumList, 0, channels),
};

constexpr ParameterInfo normalMapParameters[] = {
    intParameter(field<Velvor::normalMapFields>("amount"), "Bump Amount", 256, 1, 8192),
};

constexpr EnumOption weights[] = {{100, "Thin"},   {300, "Light"}, {400, "Normal"},
                                  {500, "Medium"}, {700, "Bold"},  {900, "Heavy"}};

constexpr EnumOption faces[] = {
    {0, "Arial"}, {1, "Courier New"}, {2, "Tahoma"}, {3, "Verdana"}, {4, "Wingdings"}};

constexpr ParameterInfo textParameters[] = {
    intParameter(field<Velvor::textFields>("x"), "X", 2048, 0, 4096),
    intParameter(field<Velvor::textFields>("y"), "Y", 2048, 0, 4096),
    intParameter(field<Velvor::textFields>("fontsize"), "Size", 256, 0, 16384),
    enumParameter(field<Velvor::textFields>("weight"), "Weight", ParameterKind::EnumList, 400, weights),
    colourParameter(field<Velvor::textFields>("colour"), "Colour", 0x00FFFFFFu),
    enumParameter(field<Velvor::textFields>("font"), "Font", ParameterKind::EnumList, 0, faces),
    textParameter(field<Velvor::textFields>("text"), "Text", "Pwnage!"),
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
