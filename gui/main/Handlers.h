#pragma once

// What the main window does when the canvas or the parameter panel reports a user action.

#include "base/Events.h"
#include "model/VisualNode.h"

#include <optional>

class MainWindow;

namespace VelvorGUI {

// A new selection: the selected node's parameter panel replaces the previous one (none for nothing
// selected or a collector). Selecting the same node again changes nothing.
class OnSelectNode : public Event<const VisualNode*> {
public:
    explicit OnSelectNode(MainWindow& window) : window_(window) {}
    void handle(const VisualNode* node) override;
    void forget() { last_.reset(); }

private:
    MainWindow& window_;
    std::optional<NodeId> last_; // nothing: no node was selected
};

// A change to the material: render all when auto rendering is on.
class OnChangeNode : public Event<> {
public:
    explicit OnChangeNode(MainWindow& window) : window_(window) {}
    void handle() override;

private:
    MainWindow& window_;
};

// "Show result window": a result window for the selected node.
class OnProbeNode : public Event<const VisualNode*> {
public:
    explicit OnProbeNode(MainWindow& window) : window_(window) {}
    void handle(const VisualNode* node) override;

private:
    MainWindow& window_;
};

// "Double the size" / "Half the size": the selected node takes the size and loses every cable, as
// one undo step; then render all when auto rendering is on.
class OnResizeNode : public Event<Point> {
public:
    explicit OnResizeNode(MainWindow& window) : window_(window) {}
    void handle(Point size) override;

private:
    MainWindow& window_;
};

} // namespace VelvorGUI
