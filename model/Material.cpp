#include "model/Material.h"

#include "base/Exception.h"
#include "core/operators/Collector.h"

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

Material::Material(Empty) {}

Material::~Material() {
    cables_.clear();
    nodes_.clear();
}

void Material::setEditGate(std::function<void()> gate) {
    editGate_ = std::move(gate);
}

void Material::beforeEdit() const {
    if (editGate_) {
        editGate_();
    }
}

void Material::announce(MaterialChange::Kind kind, NodeId node, std::size_t index) {
    const MaterialChange change{kind, node, index};
    observers_.notify([&change](MaterialObserver& observer) { observer.materialChanged(change); });
}

std::optional<std::size_t> Material::findNodeIndex(const VisualNode* node) const {
    const auto it =
        std::find_if(nodes_.begin(), nodes_.end(), [node](const auto& n) { return n.get() == node; });
    if (it == nodes_.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(it - nodes_.begin());
}

VisualNode* Material::findNode(NodeId id) {
    const auto it =
        std::find_if(nodes_.begin(), nodes_.end(), [id](const auto& n) { return n->getId() == id; });
    return it != nodes_.end() ? it->get() : nullptr;
}

const VisualNode* Material::findNode(NodeId id) const {
    return const_cast<Material*>(this)->findNode(id);
}

VisualNode& Material::nodeWithId(NodeId id) {
    VisualNode* node = findNode(id);
    if (node == nullptr) {
        throw Exception("Could not edit node, node not found in material!");
    }
    return *node;
}

const Cable* Material::findCable(NodeId to, int port) const {
    const auto it = std::find_if(cables_.begin(), cables_.end(), [&](const auto& c) {
        return c->getTo().getId() == to && c->getToPort() == port;
    });
    return it != cables_.end() ? it->get() : nullptr;
}

void Material::append(std::unique_ptr<VisualNode> node) {
    nodes_.push_back(std::move(node));
    announce(MaterialChange::Kind::NodeAdded, nodes_.back()->getId(), nodes_.size() - 1);
}

VisualNode& Material::addNode(std::string name, const NodeTypeInfo& type, Point size, Point position) {
    beforeEdit();
    append(type.create(std::move(name), position, size));
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
    beforeEdit();
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
    // A new input makes the target's image out of date, as a parameter change does.
    to.markDirty();
    announce(MaterialChange::Kind::CableAdded, to.getId(), cables_.size() - 1);
    return cables_.back().get();
}

bool Material::isPortConnected(const VisualNode& node, int port) const {
    if (port < 0) {
        throw Exception("Port must be >= 0");
    }
    return std::any_of(cables_.begin(), cables_.end(),
                       [&](const auto& c) { return &c->getTo() == &node && c->getToPort() == port; });
}

RemovedCable Material::removeCable(const Cable* cable) {
    beforeEdit();
    const auto it =
        std::find_if(cables_.begin(), cables_.end(), [cable](const auto& c) { return c.get() == cable; });
    if (it == cables_.end()) {
        throw Exception("Could not delete cable, cable not found in material!");
    }
    const RemovedCable removed{cable->getFrom().getId(), cable->getTo().getId(), cable->getToPort(),
                               static_cast<std::size_t>(it - cables_.begin())};
    // The target must not keep pointing at an image that may go away with the source node.
    (*it)->getTo().setInput((*it)->getToPort(), nullptr);
    (*it)->getTo().markDirty();
    cables_.erase(it);
    announce(MaterialChange::Kind::CableRemoved, removed.to, removed.index);
    return removed;
}

bool Material::canRestore(const RemovedCable& cable, std::size_t cableCount,
                          const VisualNode* returning) const {
    const auto resolve = [&](NodeId id) -> const VisualNode* {
        return returning != nullptr && returning->getId() == id ? returning : findNode(id);
    };
    const VisualNode* from = resolve(cable.from);
    const VisualNode* to = resolve(cable.to);
    return from != nullptr && to != nullptr && from != to && from->hasOutput() && cable.toPort >= 0 &&
           cable.toPort < to->getInputCount() && cable.index <= cableCount &&
           findCable(cable.to, cable.toPort) == nullptr;
}

Cable& Material::insertCable(const RemovedCable& cable) {
    VisualNode& from = *findNode(cable.from);
    VisualNode& to = *findNode(cable.to);
    const auto place = cables_.begin() + static_cast<std::ptrdiff_t>(cable.index);
    Cable& inserted = **cables_.insert(place, std::make_unique<Cable>(from, to, cable.toPort));
    to.markDirty();
    announce(MaterialChange::Kind::CableAdded, cable.to, cable.index);
    return inserted;
}

Cable& Material::restoreCable(const RemovedCable& removed) {
    beforeEdit();
    if (!canRestore(removed, cables_.size(), nullptr)) {
        throw Exception("Could not restore cable, its nodes, port or place are not in the material!");
    }
    return insertCable(removed);
}

RemovedNode Material::removeNode(const VisualNode* node) {
    beforeEdit();
    const std::optional<std::size_t> index = findNodeIndex(node);
    if (!index) {
        throw Exception("Could not delete node, node not found in material!");
    }
    RemovedNode removed{nullptr, *index, {}};
    for (std::size_t i = cables_.size(); i-- > 0;) {
        if (cables_[i]->involves(*node)) {
            removed.cables.push_back(removeCable(cables_[i].get()));
        }
    }
    std::reverse(removed.cables.begin(), removed.cables.end());
    const auto place = nodes_.begin() + static_cast<std::ptrdiff_t>(*index);
    removed.node = std::move(*place);
    nodes_.erase(place);
    removed.node->releaseImage(); // an undo record keeps what rebuilds the node, not its picture
    announce(MaterialChange::Kind::NodeRemoved, removed.node->getId(), *index);
    return removed;
}

VisualNode& Material::restoreNode(RemovedNode&& removed) {
    beforeEdit();
    const VisualNode* node = removed.node.get();
    bool possible = node != nullptr && findNode(node->getId()) == nullptr && removed.index <= nodes_.size();
    // The cables go back in ascending order, each into a list one longer than the one before; two of
    // them must not share a port either.
    std::size_t cableCount = cables_.size();
    for (std::size_t i = 0; possible && i < removed.cables.size(); ++i) {
        const RemovedCable& cable = removed.cables[i];
        possible = canRestore(cable, cableCount++, node);
        for (std::size_t j = 0; possible && j < i; ++j) {
            possible = removed.cables[j].to != cable.to || removed.cables[j].toPort != cable.toPort;
        }
    }
    if (!possible) {
        throw Exception("Could not restore node, its place or its cables are not in the material!");
    }
    removed.node->reclaimImage();
    const auto place = nodes_.begin() + static_cast<std::ptrdiff_t>(removed.index);
    VisualNode& restored = **nodes_.insert(place, std::move(removed.node));
    announce(MaterialChange::Kind::NodeAdded, restored.getId(), removed.index);
    for (const RemovedCable& cable : removed.cables) {
        insertCable(cable);
    }
    removed.cables.clear();
    return restored;
}

Point Material::moveNode(NodeId id, Point position) {
    VisualNode& node = nodeWithId(id);
    const Point previous = node.getPosition();
    node.setPosition(position);
    announce(MaterialChange::Kind::NodeMoved, id);
    return previous;
}

std::string Material::renameNode(NodeId id, std::string name) {
    beforeEdit();
    VisualNode& node = nodeWithId(id);
    std::string previous = node.getName();
    node.setName(std::move(name));
    announce(MaterialChange::Kind::NodeRenamed, id);
    return previous;
}

Point Material::resizeNode(NodeId id, Point size) {
    beforeEdit();
    VisualNode& node = nodeWithId(id);
    const Point previous = node.getSize();
    node.resize(size);
    announce(MaterialChange::Kind::NodeResized, id);
    return previous;
}

ParameterValue Material::setParameter(NodeId id, std::size_t parameter, const ParameterValue& value) {
    beforeEdit();
    VisualNode& node = nodeWithId(id);
    const NodeTypeInfo* type = node.getTypeInfo();
    if (type == nullptr || parameter >= type->parameters.size()) {
        throw Exception("Could not change parameter, node has no such parameter!");
    }
    const ParameterInfo& info = type->parameters[parameter];
    const bool isText = info.kind == ParameterKind::Text;
    if (std::holds_alternative<std::string>(value) != isText) {
        throw Exception("Could not change parameter, the value is not of its kind!");
    }
    Velvor::Operator& op = node.getOperator();
    ParameterValue previous;
    if (isText) {
        previous = std::string(info.getText(op));
        info.setText(op, std::get<std::string>(value));
    } else {
        previous = info.get(op);
        info.set(op, std::get<std::int32_t>(value));
    }
    node.markDirty();
    announce(MaterialChange::Kind::ParameterChanged, id, parameter);
    return previous;
}

void Material::clear() {
    beforeEdit();
    cables_.clear();
    nodes_.clear();
    announce(MaterialChange::Kind::Cleared);
}

void Material::exchangeContent(Material& other) {
    beforeEdit();
    nodes_.swap(other.nodes_);
    cables_.swap(other.cables_);
}

void Material::takeContentOf(Material& source) {
    if (&source == this) {
        return;
    }
    exchangeContent(source);
    source.clear();
    announce(MaterialChange::Kind::Replaced);
}

void Material::swapContent(Material& other) {
    if (&other == this) {
        return;
    }
    exchangeContent(other);
    announce(MaterialChange::Kind::Replaced);
    other.announce(MaterialChange::Kind::Replaced);
}

void Material::releaseImages() {
    for (const auto& node : nodes_) {
        node->releaseImage();
    }
}

void Material::reclaimImages() {
    try {
        for (const auto& node : nodes_) {
            node->reclaimImage();
        }
    } catch (...) {
        releaseImages();
        throw;
    }
}

void Material::createDefaultCollectors() {
    beforeEdit();
    for (const DefaultCollector& entry : defaultCollectors) {
        std::unique_ptr<VisualNode> node =
            nodeTypes[0].create(entry.name, entry.position, defaultCollectorSize);
        dynamic_cast<Velvor::Collector&>(node->getOperator()).index = entry.slot;
        append(std::move(node));
    }
}
