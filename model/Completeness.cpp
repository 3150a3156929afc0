#include "model/Completeness.h"

#include <unordered_set>

std::vector<const VisualNode*> ungeneratedUpstream(const Material& material, const VisualNode& collector) {
    std::vector<const VisualNode*> ungenerated;
    std::unordered_set<const VisualNode*> seen{&collector};
    std::vector<const VisualNode*> pending{&collector};
    while (!pending.empty()) {
        const VisualNode* node = pending.back();
        pending.pop_back();
        if (node->isDirty() && !node->isDiscarded()) {
            ungenerated.push_back(node);
        }
        for (std::size_t i = 0; i < material.getCableCount(); ++i) {
            const Cable& cable = material.getCable(i);
            if (&cable.getTo() == node && seen.insert(&cable.getFrom()).second) {
                pending.push_back(&cable.getFrom());
            }
        }
    }
    return ungenerated;
}

namespace {

std::string sizeText(Point size) {
    return std::to_string(size.x) + " x " + std::to_string(size.y);
}

// Whether a collector reads the node, through any number of cables: only then does a render reach it.
bool aCollectorReads(const Material& material, const VisualNode& node) {
    std::unordered_set<const VisualNode*> seen{&node};
    std::vector<const VisualNode*> pending{&node};
    while (!pending.empty()) {
        const VisualNode* from = pending.back();
        pending.pop_back();
        if (from->getTypeId() == static_cast<int>(Velvor::OperatorType::Collector)) {
            return true;
        }
        for (std::size_t i = 0; i < material.getCableCount(); ++i) {
            const Cable& cable = material.getCable(i);
            if (&cable.getFrom() == from && seen.insert(&cable.getTo()).second) {
                pending.push_back(&cable.getTo());
            }
        }
    }
    return false;
}

} // namespace

std::string whyNotGenerated(const Material& material, const VisualNode& node) {
    for (int port = 0; port < node.getInputCount(); ++port) {
        const Cable* cable = material.findCable(node.getId(), port);
        const std::string input = "input " + node.getInputName(port);
        if (cable == nullptr) {
            return input + " is open";
        }
        if (cable->getFrom().getSize() != node.getSize()) {
            return input + " is " + sizeText(cable->getFrom().getSize()) + ", not " +
                   sizeText(node.getSize());
        }
    }
    // Renders start at the collectors: a node none of them reads is never generated.
    return aCollectorReads(material, node) ? "it lies in a cycle of cables" : "no collector uses it";
}

std::optional<std::string> whyNotCurrent(const Material& material, const VisualNode& node) {
    const bool isCollector = node.getTypeId() == static_cast<int>(Velvor::OperatorType::Collector);
    if (isCollector && material.findCable(node.getId(), 0) == nullptr) {
        return std::nullopt; // an unused slot: empty, and meant to be
    }
    if (node.isDirty()) {
        return whyNotGenerated(material, node);
    }
    if (isCollector) {
        const std::vector<const VisualNode*> ungenerated = ungeneratedUpstream(material, node);
        if (!ungenerated.empty()) {
            return "node " + ungenerated.front()->getName() + " could not be generated (" +
                   whyNotGenerated(material, *ungenerated.front()) + ")";
        }
    }
    return std::nullopt;
}
