#include "model/Material.h"

#include "base/Exception.h"
#include "core/Collector.h"

#include <algorithm>
#include <utility>

namespace {

struct DefaultCollector {
    const char* name;
    std::int16_t slot;
    Point position;
};

constexpr DefaultCollector defaultCollectors[] = {
    {"Diffuse map", 0, {50, 50}}, {"Reflection map", 1, {215, 125}}, {"Reflection mask", 2, {215, 290}},
    {"Normal map", 4, {50, 215}}, {"Specular map", 3, {50, 380}},
};

} // namespace

Material::Material() {
    createDefaultCollectors();
}

Material::~Material() {
    clear();
}

std::optional<std::size_t> Material::findNodeIndex(const VisualNode* node) const {
    const auto it =
        std::find_if(nodes_.begin(), nodes_.end(), [node](const auto& n) { return n.get() == node; });
    if (it == nodes_.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(it - nodes_.begin());
}

VisualNode& Material::addNode(std::string name, const NodeTypeInfo& type, Point size) {
    nodes_.push_back(type.create(std::move(name), spawnPosition, size));
    return *nodes_.back();
}

VisualNode* Material::nodeAt(Point point) const {
    for (auto it = nodes_.rbegin(); it != nodes_.rend(); ++it) {
        if ((*it)->hitTest(point)) {
            return it->get();
        }
    }
    return nullptr;
}

bool Material::canConnect(const VisualNode& a, int portA, const VisualNode& b, int portB) const {
    if (portA == -1 && portB == -1) {
        return false;
    }
    if (portA >= 0 && portB >= 0) {
        return false;
    }
    if (&a == &b) {
        return false;
    }
    if (portB != -1 && !b.acceptsInput(portB, a.getSize())) {
        return false;
    }
    if (portA != -1 && !a.acceptsInput(portA, b.getSize())) {
        return false;
    }
    if (portA != -1 && isPortConnected(a, portA)) {
        return false;
    }
    if (portB != -1 && isPortConnected(b, portB)) {
        return false;
    }
    return true;
}

Cable* Material::connect(VisualNode& a, int portA, VisualNode& b, int portB) {
    if (&a == &b || (portA == -1) == (portB == -1)) {
        return nullptr;
    }
    VisualNode& from = portA == -1 ? a : b;
    VisualNode& to = portA == -1 ? b : a;
    const int port = portA == -1 ? portB : portA;
    if (!from.hasOutput()) {
        return nullptr;
    }
    // Rendering writes the input slot of the port, so only existing input ports get cables.
    if (port < 0 || port >= to.getInputCount()) {
        return nullptr;
    }
    if (isPortConnected(to, port)) {
        return nullptr;
    }
    // A cable to a foreign node would outlive that node.
    if (!hasNode(&from) || !hasNode(&to)) {
        return nullptr;
    }
    cables_.push_back(std::make_unique<Cable>(from, to, port));
    return cables_.back().get();
}

bool Material::isPortConnected(const VisualNode& node, int port) const {
    if (port < 0) {
        throw Exception("Port must be >= 0");
    }
    return std::any_of(cables_.begin(), cables_.end(),
                       [&](const auto& c) { return &c->getTo() == &node && c->getToPort() == port; });
}

void Material::removeCable(const Cable* cable) {
    const auto it =
        std::find_if(cables_.begin(), cables_.end(), [cable](const auto& c) { return c.get() == cable; });
    if (it == cables_.end()) {
        throw Exception("Could not delete cable, cable not found in material!");
    }
    // The target must not keep pointing at an image that may go away with the source node.
    (*it)->getTo().setInput((*it)->getToPort(), nullptr);
    cables_.erase(it);
}

void Material::removeNode(const VisualNode* node) {
    const std::optional<std::size_t> index = findNodeIndex(node);
    if (!index) {
        throw Exception("Could not delete node, node not found in material!");
    }
    for (std::size_t i = cables_.size(); i-- > 0;) {
        if (cables_[i]->involves(*node)) {
            removeCable(cables_[i].get());
        }
    }
    nodes_.erase(nodes_.begin() + static_cast<std::ptrdiff_t>(*index));
}

void Material::clear() {
    cables_.clear();
    nodes_.clear();
}

void Material::createDefaultCollectors() {
    for (const DefaultCollector& entry : defaultCollectors) {
        VisualNode& node = addNode(entry.name, nodeTypes[0], defaultCollectorSize);
        node.setPosition(entry.position);
        dynamic_cast<Velvor::Collector&>(node.getOperator()).index = entry.slot;
    }
}

void Material::renderAll(Progress& progress) {
    for (const auto& node : nodes_) {
        if (node->getTypeId() == static_cast<int>(Velvor::OperatorType::Collector)) {
            renderCollector(*node, progress);
        }
    }
}
