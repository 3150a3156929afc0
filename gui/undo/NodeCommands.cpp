#include "gui/undo/NodeCommands.h"

#include "base/Exception.h"

#include <QCoreApplication>
#include <algorithm>
#include <utility>

namespace {

// Merge key of node drags; other commands keep the default (-1), which never merges.
constexpr int moveNodeCommandId = 0x4d4f5645;

VisualNode& existingNode(Material& material, NodeId id) {
    VisualNode* node = material.findNode(id);
    if (node == nullptr) {
        throw Exception("Could not edit node, node not found in material!");
    }
    return *node;
}

} // namespace

AddNodeCommand::AddNodeCommand(Material& material, std::string name, const NodeTypeInfo& type, Point size,
                               Point position)
    : MaterialCommand(material), name_(std::move(name)), type_(type), size_(size), position_(position) {
    setText(QCoreApplication::translate("Undo", "Create %1")
                .arg(QString::fromUtf8(type.name.data(), type.name.size())));
}

void AddNodeCommand::apply() {
    if (removed_.node) {
        material().restoreNode(std::move(removed_));
        return;
    }
    id_ = material().addNode(name_, type_, size_, position_).getId();
}

void AddNodeCommand::revert() {
    removed_ = material().removeNode(&existingNode(material(), *id_));
}

RemoveNodeCommand::RemoveNodeCommand(Material& material, NodeId node)
    : MaterialCommand(material), node_(node) {
    setText(QCoreApplication::translate("Undo", "Delete node"));
}

void RemoveNodeCommand::apply() {
    removed_ = material().removeNode(material().findNode(node_));
}

void RemoveNodeCommand::revert() {
    material().restoreNode(std::move(removed_));
}

MoveNodeCommand::MoveNodeCommand(Material& material, NodeId node, Point position, int drag)
    : MoveNodeCommand(material, {{node, position}}, drag) {}

MoveNodeCommand::MoveNodeCommand(Material& material, std::vector<std::pair<NodeId, Point>> positions,
                                 int drag)
    : MaterialCommand(material), drag_(drag) {
    for (const auto& [node, to] : positions) {
        moves_.push_back({node, to, std::nullopt});
    }
    setText(QCoreApplication::translate("Undo", moves_.size() == 1 ? "Move node" : "Move nodes"));
}

int MoveNodeCommand::id() const {
    return moveNodeCommandId;
}

bool MoveNodeCommand::mergeWith(const QUndoCommand* other) {
    const auto* move = dynamic_cast<const MoveNodeCommand*>(other);
    if (move == nullptr || move->drag_ != drag_ || move->moves_.size() != moves_.size() ||
        !std::equal(moves_.begin(), moves_.end(), move->moves_.begin(),
                    [](const Move& a, const Move& b) { return a.node == b.node; })) {
        return false;
    }
    bool unmoved = true;
    for (std::size_t i = 0; i < moves_.size(); ++i) {
        moves_[i].to = move->moves_[i].to;
        unmoved = unmoved && moves_[i].from == moves_[i].to;
    }
    setObsolete(unmoved);
    return true;
}

void MoveNodeCommand::apply() {
    for (Move& move : moves_) {
        const Point previous = material().moveNode(move.node, move.to);
        if (!move.from) {
            move.from = previous;
        }
    }
}

void MoveNodeCommand::revert() {
    for (auto move = moves_.rbegin(); move != moves_.rend(); ++move) {
        material().moveNode(move->node, *move->from);
    }
}

RenameNodeCommand::RenameNodeCommand(Material& material, NodeId node, std::string name)
    : MaterialCommand(material), node_(node), name_(std::move(name)) {
    setText(QCoreApplication::translate("Undo", "Rename node"));
}

void RenameNodeCommand::apply() {
    previous_ = material().renameNode(node_, name_);
}

void RenameNodeCommand::revert() {
    material().renameNode(node_, previous_);
}

ResizeNodeCommand::ResizeNodeCommand(Material& material, NodeId node, Point size)
    : MaterialCommand(material), node_(node), size_(size) {
    setText(QCoreApplication::translate("Undo", "Resize node"));
}

void ResizeNodeCommand::apply() {
    // Resizing first: when the image cannot be allocated it raises and nothing has changed yet.
    previous_ = material().resizeNode(node_, size_);
    removedCables_.clear();
    const VisualNode& node = existingNode(material(), node_);
    for (std::size_t i = material().getCableCount(); i-- > 0;) {
        const Cable& cable = material().getCable(i);
        if (cable.involves(node)) {
            removedCables_.push_back(material().removeCable(&cable));
        }
    }
}

void ResizeNodeCommand::revert() {
    material().resizeNode(node_, previous_);
    for (auto cable = removedCables_.rbegin(); cable != removedCables_.rend(); ++cable) {
        material().restoreCable(*cable);
    }
}
