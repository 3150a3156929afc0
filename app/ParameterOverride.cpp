#include "app/ParameterOverride.h"

#include "app/UsageError.h"
#include "core/operators/Operator.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>
#include <vector>

namespace {

// Built by appending: g++ 12 warns falsely (-Wrestrict) about "'" + std::string(...).
std::string quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result += '\'';
    result += text;
    result += '\'';
    return result;
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
    std::int64_t value = 0;
    const char* begin = text.data();
    if (!text.empty() && text.front() == '+') {
        ++begin;
    }
    const auto [end, error] = std::from_chars(begin, text.data() + text.size(), value);
    if (begin == text.data() + text.size() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

VisualNode& findOverrideNode(Material& material, const std::string& wanted) {
    if (wanted.starts_with('#')) {
        const std::optional<std::int64_t> id = parseInteger(std::string_view(wanted).substr(1));
        if (!id || *id < 0 || static_cast<std::uint64_t>(*id) >= material.getNodeCount()) {
            throw UsageError("--set: no node " + wanted + "; the ids run from #0 to #" +
                             std::to_string(static_cast<long long>(material.getNodeCount()) - 1));
        }
        return material.getNode(static_cast<std::size_t>(*id));
    }
    std::vector<std::size_t> matches;
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        if (material.getNode(i).getName() == wanted) {
            matches.push_back(i);
        }
    }
    if (matches.size() == 1) {
        return material.getNode(matches.front());
    }
    if (matches.empty()) {
        std::string names;
        for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
            names += (i == 0 ? "" : ", ") + quoted(material.getNode(i).getName());
        }
        throw UsageError("--set: no node is named " + quoted(wanted) + "; the nodes are " +
                         (names.empty() ? "none" : names));
    }
    std::string ids;
    for (const std::size_t i : matches) {
        ids += (ids.empty() ? "#" : ", #") + std::to_string(i);
    }
    throw UsageError("--set: " + std::to_string(matches.size()) + " nodes are named " + quoted(wanted) +
                     "; name one by its id: " + ids);
}

ParameterValue checkedValue(const ParameterInfo& info, const std::string& text, const std::string& what) {
    switch (info.kind) {
    case ParameterKind::Int: {
        const std::optional<std::int64_t> value = parseInteger(text);
        if (!value || *value < info.minimum || *value > info.maximum) {
            throw UsageError("--set: " + what + " takes a whole number from " + std::to_string(info.minimum) +
                             " to " + std::to_string(info.maximum) + ", not " + quoted(text));
        }
        return static_cast<std::int32_t>(*value);
    }
    case ParameterKind::EnumRadio:
    case ParameterKind::EnumList: {
        const std::optional<std::int64_t> number = parseInteger(text);
        std::string allowed;
        for (const EnumOption& option : info.options) {
            if ((number && *number == option.value) || equalIgnoringCase(text, option.label)) {
                return std::int32_t{option.value};
            }
            allowed += (allowed.empty() ? "" : ", ") + std::to_string(option.value) + " (" +
                       std::string(option.label) + ")";
        }
        throw UsageError("--set: " + what + " takes one of " + allowed + ", not " + quoted(text));
    }
    case ParameterKind::Colour: {
        std::uint32_t bits = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), bits, 16);
        if (text.size() != 8 || error != std::errc() || end != text.data() + text.size()) {
            throw UsageError("--set: " + what + " takes a colour as eight hexadecimal digits AARRGGBB, not " +
                             quoted(text));
        }
        return static_cast<std::int32_t>(bits);
    }
    case ParameterKind::Text:
        if (text.size() + 1 > info.field->capacity) {
            throw UsageError("--set: " + what + " takes at most " + std::to_string(info.field->capacity - 1) +
                             " bytes of text, not " + std::to_string(text.size()));
        }
        return text;
    }
    throw UsageError("--set: " + what + " cannot be set");
}

} // namespace

ParameterOverride parseOverride(std::string_view text) {
    const std::size_t equals = text.find('=');
    const std::size_t dot = equals == std::string_view::npos ? equals : text.rfind('.', equals);
    if (equals == std::string_view::npos || dot == std::string_view::npos || dot == 0 || dot + 1 == equals) {
        throw UsageError("--set takes NODE.PARAM=VALUE (NODE a node's name or #ID), not " + quoted(text));
    }
    return {std::string(text.substr(0, dot)), std::string(text.substr(dot + 1, equals - dot - 1)),
            std::string(text.substr(equals + 1))};
}

void applyOverride(Material& material, const ParameterOverride& change) {
    VisualNode& node = findOverrideNode(material, change.node);
    const NodeTypeInfo* type = node.getTypeInfo();
    const std::span<const ParameterInfo> parameters =
        type != nullptr ? type->parameters : std::span<const ParameterInfo>();
    std::string known;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (parameters[i].xmlKey == change.parameter) {
            const std::string what = "parameter " + change.parameter + " of node " + quoted(node.getName());
            material.setParameter(node.getId(), i, checkedValue(parameters[i], change.value, what));
            return;
        }
        known += (known.empty() ? "" : ", ") + std::string(parameters[i].xmlKey);
    }
    throw UsageError("--set: node " + quoted(node.getName()) + " (" + node.getTypeName() +
                     ") has no parameter " + quoted(change.parameter) + "; it has " +
                     (known.empty() ? "none" : known));
}

void offsetSeeds(Material& material, std::int64_t offset) {
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        VisualNode& node = material.getNode(i);
        if (node.getTypeId() != static_cast<int>(Velvor::OperatorType::Subplasma) ||
            node.getTypeInfo() == nullptr) {
            continue;
        }
        const std::span<const ParameterInfo> parameters = node.getTypeInfo()->parameters;
        for (std::size_t p = 0; p < parameters.size(); ++p) {
            if (parameters[p].xmlKey != "seed") {
                continue;
            }
            const ParameterInfo& seed = parameters[p];
            const std::int64_t span = std::int64_t{seed.maximum} - seed.minimum + 1;
            const std::int64_t shifted =
                (std::int64_t{seed.get(node.getOperator())} - seed.minimum) % span + offset % span;
            const auto wrapped = static_cast<std::int32_t>(((shifted % span) + span) % span + seed.minimum);
            material.setParameter(node.getId(), p, wrapped);
        }
    }
}
