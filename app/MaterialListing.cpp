#include "app/MaterialListing.h"

#include "app/TerminalText.h"
#include "core/operators/Collector.h"

#include <cstdio>
#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::ordered_json;

std::string colourText(std::int32_t bits) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(bits));
    return text;
}

Json parameterJson(const ParameterInfo& info, const Velvor::Operator& op) {
    Json entry = {{"name", info.xmlKey}, {"label", info.label}};
    switch (info.kind) {
    case ParameterKind::Int:
        entry["kind"] = "int";
        entry["value"] = info.get(op);
        entry["minimum"] = info.minimum;
        entry["maximum"] = info.maximum;
        break;
    case ParameterKind::EnumRadio:
    case ParameterKind::EnumList: {
        entry["kind"] = "enum";
        entry["value"] = info.get(op);
        Json options = Json::array();
        for (const EnumOption& option : info.options) {
            options.push_back({{"value", option.value}, {"label", option.label}});
        }
        entry["options"] = std::move(options);
        break;
    }
    case ParameterKind::Colour:
        entry["kind"] = "colour";
        entry["value"] = colourText(info.get(op));
        break;
    case ParameterKind::Text:
        entry["kind"] = "text";
        entry["value"] = std::string(info.getText(op));
        entry["maximumBytes"] = info.field->capacity - 1;
        break;
    }
    return entry;
}

std::string dump(const Json& json) {
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

} // namespace

std::string listMaterialJson(const Material& material, const std::string& input) {
    Json nodes = Json::array();
    Json collectors = Json::array();
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        const VisualNode& node = material.getNode(i);
        Json parameters = Json::array();
        if (const NodeTypeInfo* type = node.getTypeInfo()) {
            for (const ParameterInfo& info : type->parameters) {
                parameters.push_back(parameterJson(info, node.getOperator()));
            }
        }
        nodes.push_back({{"id", i},
                         {"name", node.getName()},
                         {"type", node.getTypeName()},
                         {"width", node.getSize().x},
                         {"height", node.getSize().y},
                         {"parameters", std::move(parameters)}});
        if (node.getTypeId() == static_cast<int>(Velvor::OperatorType::Collector)) {
            const int slot = static_cast<const Velvor::Collector&>(node.getOperator()).index;
            collectors.push_back(
                {{"index", collectors.size()}, {"name", node.getName()}, {"slot", slot}, {"node", i}});
        }
    }
    return dump({{"input", input},
                 {"kind", "material"},
                 {"nodes", std::move(nodes)},
                 {"collectors", std::move(collectors)}});
}

std::string listPackedJson(const Velvor::PackedMaterial& material, const std::string& input) {
    Json nodes = Json::array();
    for (std::size_t record = 0; record < material.getRecordCount(); ++record) {
        const Velvor::Operator& op = material.getOperator(record);
        Json parameters = Json::array();
        for (const Velvor::ParameterField& field : op.getParameterFields()) {
            Json entry = {{"name", field.name}};
            if (field.type == Velvor::FieldType::Text) {
                entry["kind"] = "text";
                entry["value"] = std::string(field.getText(op));
            } else if (field.type == Velvor::FieldType::Word32) {
                entry["kind"] = "colour";
                entry["value"] = colourText(field.get(op));
            } else {
                entry["kind"] = "int";
                entry["value"] = field.get(op);
            }
            parameters.push_back(std::move(entry));
        }
        const NodeTypeInfo* type = findNodeType(op.getTypeId());
        nodes.push_back({{"id", record},
                         {"name", "record" + std::to_string(record)},
                         {"type", type != nullptr ? std::string(type->name) : std::to_string(op.getTypeId())},
                         {"width", op.getImage().getWidth()},
                         {"height", op.getImage().getHeight()},
                         {"parameters", std::move(parameters)}});
    }
    Json collectors = Json::array();
    for (const Velvor::PackedMaterial::Output& output : material.getCollectors()) {
        collectors.push_back({{"index", collectors.size()},
                              {"name", "slot" + std::to_string(output.slotIndex)},
                              {"slot", output.slotIndex},
                              {"node", output.record}});
    }
    return dump({{"input", input},
                 {"kind", "packed"},
                 {"nodes", std::move(nodes)},
                 {"collectors", std::move(collectors)}});
}

std::string listingsJson(const std::vector<std::string>& listings) {
    Json materials = Json::array();
    for (const std::string& listing : listings) {
        materials.push_back(Json::parse(listing));
    }
    return Json{{"version", listingVersion}, {"materials", std::move(materials)}}.dump(
               2, ' ', false, Json::error_handler_t::replace) +
           "\n";
}

std::string listingText(const std::string& listingJson) {
    const Json listing = Json::parse(listingJson);
    const auto text = [](const Json& value) {
        return escapeControlCharacters(value.is_string() ? value.get<std::string>() : value.dump());
    };
    std::string out = text(listing["input"]) + " (" + listing["kind"].get<std::string>() + ")\n";
    for (const Json& node : listing["nodes"]) {
        out += "node #" + node["id"].dump() + " " + text(node["type"]) + " '" + text(node["name"]) + "' " +
               node["width"].dump() + "x" + node["height"].dump() + "\n";
        for (const Json& parameter : node["parameters"]) {
            out += "    " + text(parameter["name"]) + " = " + text(parameter["value"]);
            if (parameter.contains("minimum")) {
                out += " (" + parameter["minimum"].dump() + " to " + parameter["maximum"].dump() + ")";
            } else if (parameter.contains("options")) {
                std::string options;
                for (const Json& option : parameter["options"]) {
                    options +=
                        (options.empty() ? "" : ", ") + option["value"].dump() + " " + text(option["label"]);
                }
                out += " (one of " + options + ")";
            } else if (parameter["kind"] == "colour") {
                out += " (AARRGGBB)";
            } else if (parameter.contains("maximumBytes")) {
                out += " (at most " + parameter["maximumBytes"].dump() + " bytes)";
            }
            out += "\n";
        }
    }
    for (const Json& collector : listing["collectors"]) {
        out += "collector " + collector["index"].dump() + " '" + text(collector["name"]) + "' slot " +
               collector["slot"].dump() + " (node #" + collector["node"].dump() + ")\n";
    }
    return out;
}
