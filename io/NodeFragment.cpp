#include "io/NodeFragment.h"

#include "base/Exception.h"
#include "core/Limits.h"
#include "core/operators/Collector.h"
#include "io/MaterialXml.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace {

// Questions of the loader are answered No: a fragment is pasted whole or not at all.
class Refusing : public Prompt {
public:
    bool askYesNo(const std::string&, const std::string&) override { return false; }
    void inform(const std::string&, const std::string&) override {}
};

bool isCollector(const VisualNode& node) {
    return node.getTypeId() == 0;
}

int slotOf(const VisualNode& collector) {
    return static_cast<const Velvor::Collector&>(collector.getOperator()).index;
}

std::int64_t pixelsOf(const Material& material) {
    std::int64_t pixels = 0;
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        const VisualNode& node = material.getNode(i);
        pixels += Velvor::operatorPixels(node.getTypeId(), node.getSize().x, node.getSize().y);
    }
    return pixels;
}

// "Plasma" -> "Plasma 2", "Plasma 2" -> "Plasma 3": the first free number after the name's own.
std::string freeName(const std::string& name, const std::set<std::string>& used) {
    if (!used.contains(name)) {
        return name;
    }
    std::size_t digits = name.size();
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])) != 0) {
        --digits;
    }
    std::string stem = name;
    long number = 1;
    if (digits < name.size() && digits > 0 && name[digits - 1] == ' ' && name.size() - digits < 9) {
        stem = name.substr(0, digits - 1);
        number = std::stol(name.substr(digits));
    }
    std::string candidate;
    do {
        candidate = stem + " " + std::to_string(++number);
    } while (used.contains(candidate));
    return candidate;
}

void leaveOutTakenSlots(Material& pasted, const Material& target, std::size_t& leftOut) {
    std::set<int> slots;
    for (std::size_t i = 0; i < target.getNodeCount(); ++i) {
        if (isCollector(target.getNode(i))) {
            slots.insert(slotOf(target.getNode(i)));
        }
    }
    for (std::size_t i = pasted.getNodeCount(); i-- > 0;) {
        const VisualNode& node = pasted.getNode(i);
        if (isCollector(node) && !slots.insert(slotOf(node)).second) {
            pasted.removeNode(&node);
            ++leftOut;
        }
    }
}

void placeAndName(Material& pasted, const Material& target, Point at) {
    std::int64_t left = INT32_MAX;
    std::int64_t top = INT32_MAX;
    for (std::size_t i = 0; i < pasted.getNodeCount(); ++i) {
        left = std::min<std::int64_t>(left, pasted.getNode(i).getPosition().x);
        top = std::min<std::int64_t>(top, pasted.getNode(i).getPosition().y);
    }
    std::set<std::string> used;
    for (std::size_t i = 0; i < target.getNodeCount(); ++i) {
        used.insert(target.getNode(i).getName());
    }
    for (std::size_t i = 0; i < pasted.getNodeCount(); ++i) {
        const VisualNode& node = pasted.getNode(i);
        const Point position = node.getPosition();
        // Positions are held to the 32-bit range, however far apart the fragment's nodes were.
        const auto clamp = [](std::int64_t v) {
            return static_cast<int>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
        };
        pasted.moveNode(node.getId(), {clamp(std::int64_t{position.x} - left + at.x),
                                       clamp(std::int64_t{position.y} - top + at.y)});
        const std::string name = freeName(node.getName(), used);
        used.insert(name);
        if (name != node.getName()) {
            pasted.renameNode(node.getId(), name);
        }
    }
}

} // namespace

PastedNodes readFragment(const std::string& text, const Material& target, Point at) {
    PastedNodes result{std::make_unique<Material>(Material::Empty{}), 0};
    Material& pasted = *result.nodes;
    Refusing refusing;
    if (loadXmlText(pasted, text, refusing) != LoadOutcome::Complete || pasted.getNodeCount() == 0) {
        throw Exception("Nothing pasted: the clipboard holds no nodes of a material.");
    }
    leaveOutTakenSlots(pasted, target, result.collectorsLeftOut);
    if (pasted.getNodeCount() == 0) {
        throw Exception("Nothing pasted: the material already has a collector for each slot copied.");
    }
    if (target.getNodeCount() + pasted.getNodeCount() > maxLoadedNodes) {
        throw Exception("Nothing pasted: the material would hold more than " +
                        std::to_string(maxLoadedNodes) + " nodes.");
    }
    if (pixelsOf(target) + pixelsOf(pasted) > Velvor::maxMaterialPixels) {
        throw Exception("Nothing pasted: the nodes would take the material past its pixel budget.");
    }
    placeAndName(pasted, target, at);
    return result;
}
