#include "gui/undo/CableCommands.h"

#include "base/Exception.h"

#include <QCoreApplication>

ConnectCommand::ConnectCommand(Material& material, NodeId a, int portA, NodeId b, int portB)
    : MaterialCommand(material), a_(a), portA_(portA), b_(b), portB_(portB) {
    setText(QCoreApplication::translate("Undo", "Connect"));
}

void ConnectCommand::apply() {
    if (removed_) {
        material().restoreCable(*removed_);
        removed_.reset();
        return;
    }
    VisualNode* a = material().findNode(a_);
    VisualNode* b = material().findNode(b_);
    if (a == nullptr || b == nullptr || material().connect(*a, portA_, *b, portB_) == nullptr) {
        throw Exception("Could not connect the nodes.");
    }
}

void ConnectCommand::revert() {
    const bool fromA = portA_ == -1;
    removed_ = material().removeCable(material().findCable(fromA ? b_ : a_, fromA ? portB_ : portA_));
}

RemoveCableCommand::RemoveCableCommand(Material& material, NodeId to, int port)
    : MaterialCommand(material), to_(to), port_(port) {
    setText(QCoreApplication::translate("Undo", "Delete cable"));
}

void RemoveCableCommand::apply() {
    removed_ = material().removeCable(material().findCable(to_, port_));
}

void RemoveCableCommand::revert() {
    material().restoreCable(removed_);
}
