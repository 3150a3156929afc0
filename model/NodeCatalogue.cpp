#include "model/NodeType.h"
#include "model/OperatorNodes.h"

#include <stdexcept>
#include <utility>

namespace {

using Velvor::FieldType;
using Velvor::ParameterField;

// A record bound to the operator field of that name; the field's name is the file's key. A record
// whose kind does not suit its field does not compile. Defaults are the operators' own.
constexpr ParameterInfo describe(const ParameterField& field, std::string_view label, ParameterKind kind,
                                 FieldType fieldType) {
    if (field.type != fieldType) {
        throw std::invalid_argument("the record's kind does not suit its field");
    }
    ParameterInfo info;
    info.label = label;
    info.xmlKey = field.name;
    info.kind = kind;
    info.field = &field;
    return info;
}

constexpr ParameterInfo intParameter(const ParameterField& field, std::string_view label,
                                     std::int16_t minimum, std::int16_t maximum) {
    ParameterInfo info = describe(field, label, ParameterKind::Int, FieldType::Int16);
    info.minimum = minimum;
    info.maximum = maximum;
    return info;
}

constexpr ParameterInfo enumParameter(const ParameterField& field, std::string_view label, ParameterKind kind,
                                      std::span<const EnumOption> options) {
    ParameterInfo info = describe(field, label, kind, FieldType::Int16);
    info.options = options;
    return info;
}

constexpr ParameterInfo colourParameter(const ParameterField& field, std::string_view label) {
    return describe(field, label, ParameterKind::Colour, FieldType::Word32);
}

constexpr ParameterInfo textParameter(const ParameterField& field, std::string_view label) {
    return describe(field, label, ParameterKind::Text, FieldType::Text);
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
        ParameterInfo info = intParameter(field<Velvor::collectorFields>("index"), "Slot index", 0, 4);
        info.inPanel = false;
        return info;
    }(),
};

constexpr ParameterInfo checkerboardParameters[] = {
    intParameter(field<Velvor::checkboardFields>("blocks"), "Number of blocks", 1, 64),
};

constexpr EnumOption blendings[] = {{0, "Add"}, {1, "Multiply"}, {2, "Hue"}, {3, "Saturation"}};

constexpr ParameterInfo mixerParameters[] = {
    intParameter(field<Velvor::mixerFields>("amountA"), "Amount A", 0, 512),
    intParameter(field<Velvor::mixerFields>("amountB"), "Amount B", 0, 512),
    enumParameter(field<Velvor::mixerFields>("type"), "Blending", ParameterKind::EnumRadio, blendings),
};

constexpr ParameterInfo subplasmaParameters[] = {
    intParameter(field<Velvor::subPlasmaFields>("grid"), "Grid", 0, 14),
    intParameter(field<Velvor::subPlasmaFields>("seed"), "Random Seed", 0, 512),
    colourParameter(field<Velvor::subPlasmaFields>("colour"), "Colour"),
};

constexpr EnumOption channels[] = {{0, "Red"}, {1, "Green"},      {2, "Blue"},
                                   {3, "Hue"}, {4, "Saturation"}, {5, "Brightness"}};

constexpr ParameterInfo displacementParameters[] = {
    intParameter(field<Velvor::displacementFields>("amountX"), "Amount X", 0, 255),
    intParameter(field<Velvor::displacementFields>("amountY"), "Amount Y", 0, 255),
    enumParameter(field<Velvor::displacementFields>("amountXSource"), "Amount X Source",
                  ParameterKind::EnumList, channels),
    enumParameter(field<Velvor::displacementFields>("amountYSource"), "Amount Y Source",
                  ParameterKind::EnumList, channels),
};

constexpr ParameterInfo normalMapParameters[] = {
    intParameter(field<Velvor::normalMapFields>("amount"), "Bump Amount", 1, 8192),
};

constexpr EnumOption weights[] = {{100, "Thin"},   {300, "Light"}, {400, "Normal"},
                                  {500, "Medium"}, {700, "Bold"},  {900, "Heavy"}};

constexpr EnumOption faces[] = {
    {0, "Arial"}, {1, "Courier New"}, {2, "Tahoma"}, {3, "Verdana"}, {4, "Wingdings"}};

constexpr ParameterInfo textParameters[] = {
    intParameter(field<Velvor::textFields>("x"), "X", 0, 4096),
    intParameter(field<Velvor::textFields>("y"), "Y", 0, 4096),
    intParameter(field<Velvor::textFields>("fontsize"), "Size", 0, 16384),
    enumParameter(field<Velvor::textFields>("weight"), "Weight", ParameterKind::EnumList, weights),
    colourParameter(field<Velvor::textFields>("colour"), "Colour"),
    enumParameter(field<Velvor::textFields>("font"), "Font", ParameterKind::EnumList, faces),
    textParameter(field<Velvor::textFields>("text"), "Text"),
};

} // namespace

const std::array<NodeTypeInfo, 7> nodeTypes = {{
    {0, "Collector", &createNode<Operators::Collector>, false, {{sourceName}, ""}, collectorParameters},
    {1, "Checkerboard", &createNode<Operators::Checkboard>, true, {{}, ""}, checkerboardParameters},
    {2, "Mixer", &createNode<Operators::Mixer>, true, {{mixerNames}, ""}, mixerParameters},
    {3, "Subplasma", &createNode<Operators::SubPlasma>, true, {{}, ""}, subplasmaParameters},
    {4,
     "Displacement",
     &createNode<Operators::Displacement>,
     true,
     {{sourceName}, "Modulator"},
     displacementParameters},
    {6, "NormalMap", &createNode<Operators::NormalMap>, true, {{}, "Source"}, normalMapParameters},
    {5, "Text", &createNode<Operators::Text>, true, {{}, "Source"}, textParameters},
}};

const NodeTypeInfo* findNodeType(std::int32_t id) {
    for (auto it = nodeTypes.rbegin(); it != nodeTypes.rend(); ++it) {
        if (it->id == id) {
            return &*it;
        }
    }
    return nullptr;
}
