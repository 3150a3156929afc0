#pragma once

// One random edit of a material through its own methods, for tests that check what must survive
// any series of edits.

#include "model/Material.h"

#include <functional>
#include <memory>
#include <random>
#include <string>

// One random edit through the material's own methods; returns its inverse, built only from what the
// edit gave back and from node ids (empty when the edit did nothing).
inline std::function<void()> randomEdit(Material& material, std::mt19937& random) {
    const auto below = [&](std::size_t bound) { return bound == 0 ? 0 : random() % bound; };
    const auto anyText = [&] {
        const std::string characters = "aZ09 <>&\"'\xC3\xA9";
        std::string text(below(6), ' ');
        for (char& c : text) {
            c = characters[below(characters.size())];
        }
        return text;
    };
    const std::size_t kind = below(8);
    if (kind == 0) {
        const Point size{1 + static_cast<int>(below(16)), 1 + static_cast<int>(below(16))};
        const NodeId id = material.addNode(anyText(), nodeTypes[below(nodeTypes.size())], size).getId();
        return [&material, id] { material.removeNode(material.findNode(id)); };
    }
    if (kind == 1 && material.getCableCount() > 0) {
        const RemovedCable removed =
            material.removeCable(&material.getCable(below(material.getCableCount())));
        return [&material, removed] { material.restoreCable(removed); };
    }
    if (material.getNodeCount() == 0) {
        return {};
    }
    VisualNode& node = material.getNode(below(material.getNodeCount()));
    const NodeId id = node.getId();
    switch (kind) {
    case 2: {
        auto removed = std::make_shared<RemovedNode>(material.removeNode(&node));
        return [&material, removed] { material.restoreNode(std::move(*removed)); };
    }
    case 3: {
        const int port = static_cast<int>(below(3));
        if (material.connect(material.getNode(below(material.getNodeCount())), -1, node, port) == nullptr) {
            return {};
        }
        return [&material, id, port] { material.removeCable(material.findCable(id, port)); };
    }
    case 4: {
        const Point from =
            material.moveNode(id, {static_cast<int>(below(2000)) - 1000, static_cast<int>(below(99))});
        return [&material, id, from] { material.moveNode(id, from); };
    }
    case 5: {
        auto previous = std::make_shared<std::string>(material.renameNode(id, anyText()));
        return [&material, id, previous] { material.renameNode(id, *previous); };
    }
    case 6: {
        const Point previous =
            material.resizeNode(id, {static_cast<int>(below(20)), static_cast<int>(below(20))});
        return [&material, id, previous] { material.resizeNode(id, previous); };
    }
    default: {
        const std::size_t parameter = below(node.getTypeInfo()->parameters.size());
        ParameterValue value = static_cast<std::int32_t>(random());
        if (node.getTypeInfo()->parameters[parameter].kind == ParameterKind::Text) {
            value = anyText();
        }
        auto previous = std::make_shared<ParameterValue>(material.setParameter(id, parameter, value));
        return [&material, id, parameter, previous] { material.setParameter(id, parameter, *previous); };
    }
    }
}
