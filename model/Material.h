#pragma once

// The document: the ordered nodes and cables of one texture material, the connection rules, and
// rendering. The node order is the save, "Render all" and drawing order (the last node is topmost);
// the cable order decides in which order a node's inputs are rendered.
//
// Invariants: no two cables end at the same input port; a cable never joins a node to itself, starts
// at a node with an output, ends at an existing input port of its target, and joins two nodes of this
// material. Cables may form cycles; rendering ends anyway.
//
// Views subscribe once (addObserver with a MaterialObserver) and hear of every change to the content
// (MaterialChange.h). Every edit a user can make is a method here that gives back what undoes it
// exactly: removeNode and removeCable return records that restoreNode and restoreCable put back in
// the same places; moveNode, renameNode, resizeNode and setParameter return the previous value.
// Nodes are named across removals by their NodeId. Operator fields written in place through
// getOperator() (building a material before anyone watches it, as loading does) are not announced.

#include "base/ObserverList.h"
#include "base/Point.h"
#include "base/Progress.h"
#include "model/Cable.h"
#include "model/MaterialChange.h"
#include "model/NodeType.h"
#include "model/RenderPlan.h"
#include "model/VisualNode.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

// A cable as removeCable took it out: its ends, its port and its place in the cable list.
struct RemovedCable {
    NodeId from;
    NodeId to;
    int toPort;
    std::size_t index;
};

// A node as removeNode took it out: the node itself (id, name, position, operator and its state),
// its place in the node list, and the cables it had, in ascending cable-list order.
struct RemovedNode {
    std::unique_ptr<VisualNode> node;
    std::size_t index;
    std::vector<RemovedCable> cables;
};

// One parameter's value: a number (16-bit values sign-extended, a colour's bits) or the Text kind's
// text.
using ParameterValue = std::variant<std::int32_t, std::string>;

class Material {
public:
    static constexpr Point spawnPosition{10, 10};
    static constexpr Point defaultCollectorSize{256, 256};

    struct Empty {};

    // A new material holds the default collectors; Material(Material::Empty{}) holds nothing.
    Material();
    explicit Material(Empty);
    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;
    // Tells no observer: they have left before.
    ~Material();

    void addObserver(MaterialObserver* observer) { observers_.add(observer); }
    void removeObserver(MaterialObserver* observer) { observers_.remove(observer); }
    std::size_t getObserverCount() const { return observers_.size(); }

    std::size_t getNodeCount() const { return nodes_.size(); }
    VisualNode& getNode(std::size_t index) { return *nodes_.at(index); }
    const VisualNode& getNode(std::size_t index) const { return *nodes_.at(index); }
    std::size_t getCableCount() const { return cables_.size(); }
    Cable& getCable(std::size_t index) { return *cables_.at(index); }
    const Cable& getCable(std::size_t index) const { return *cables_.at(index); }
    // The node's position in the node list, if it belongs to this material.
    std::optional<std::size_t> findNodeIndex(const VisualNode* node) const;
    // The node with the id, or null.
    VisualNode* findNode(NodeId id);
    const VisualNode* findNode(NodeId id) const;
    // The cable ending at that input port of the node with the id, or null.
    const Cable* findCable(NodeId to, int port) const;

    // Creates a node of the type at the position and appends it. Undone by removeNode.
    VisualNode& addNode(std::string name, const NodeTypeInfo& type, Point size,
                        Point position = spawnPosition);
    // The topmost node whose box holds the point, or null.
    VisualNode* nodeAt(Point point) const;

    // In each call exactly one port is -1, the output of its node; the other is an input port.
    // canConnect is the canvas's test: it also compares sizes and refuses occupied inputs.
    bool canConnect(const VisualNode& a, int portA, const VisualNode& b, int portB) const;
    // Adds the cable from the side with port -1 to the other side's input, unless the nodes are the
    // same, the ports are not one output and one existing input port, the source has no output, the
    // input is already taken (it is never replaced), or a node is not part of this material. Sizes are
    // not compared. Returns the new cable, or null when nothing was added. The target is marked dirty,
    // as it is when a cable to it is removed or restored. Undone by removeCable.
    Cable* connect(VisualNode& a, int portA, VisualNode& b, int portB);
    // Raises Exception "Port must be >= 0" for a negative port.
    bool isPortConnected(const VisualNode& node, int port) const;

    // Raises Exception "Could not delete cable, cable not found in material!" for a foreign cable.
    RemovedCable removeCable(const Cable* cable);
    // Puts the cable back at its place. Raises Exception, changing nothing, when that is no longer
    // possible (a node gone, the port taken, the place beyond the list).
    Cable& restoreCable(const RemovedCable& removed);
    // Removes the node's cables (last to first, each announced), then the node. Raises Exception "Could
    // not delete node, node not found in material!" for a foreign node, leaving the material unchanged.
    RemovedNode removeNode(const VisualNode* node);
    // Puts the node back at its place, then its cables at theirs; `removed` is emptied. Raises
    // Exception, changing nothing, when that is no longer possible.
    VisualNode& restoreNode(RemovedNode&& removed);

    // Each raises Exception "Could not edit node, node not found in material!" for an unknown id and
    // returns the value it replaced. Resizing marks the node dirty; cables that no longer fit are the
    // caller's to remove; an image that cannot be allocated raises Exception and changes nothing.
    Point moveNode(NodeId node, Point position);
    std::string renameNode(NodeId node, std::string name);
    Point resizeNode(NodeId node, Point size);
    // Sets the node type's parameter at that place in its list and marks the node dirty. Raises
    // Exception for a place the type does not have or a value of the other kind (text for a number).
    ParameterValue setParameter(NodeId node, std::size_t parameter, const ParameterValue& value);

    // Deletes every cable, then every node; announced once.
    void clear();
    // Takes over the nodes and cables of `source` in place of its own (a load builds them there), which
    // leaves `source` empty; announced once.
    void takeContentOf(Material& source);
    // Called at the start of every edit that a render reads (all but moveNode), before anything
    // changes: a render running elsewhere is stopped there, so no edit races a running operator.
    void setEditGate(std::function<void()> gate);

    // Exchanges the whole content (nodes with their ids, cables) with `other`; both are announced as
    // replaced. Undoing a Clear or an import swaps back.
    void swapContent(Material& other);
    // For content kept aside (an undo record): every node gives up its image, or takes it back (all or
    // none: Exception when the images cannot be had). Nothing is announced.
    void releaseImages();
    void reclaimImages();
    // Appends "Diffuse map", "Reflection map", "Reflection mask", "Normal map" and "Specular map"
    // (slots 0, 1, 2, 4, 3), each 256 x 256.
    void createDefaultCollectors();

    // Brings every node upstream of the collector up to date, depth first over the cables, inputs in
    // order of the most recently created cable first, regenerating only dirty nodes and nodes below a
    // regenerated one. Reports "Rendering collector <name>...", start(node count), one "> node <name>"
    // or "> skip <name>" message and one step per visit, finish and "Ready.". A node reached twice is
    // visited twice. A cable is followed at most once on any path, which ends rendering on cycles.
    // A node reached again after its visit finished is not descended into again, which keeps
    // rendering polynomial; a dirty node upstream of it is then not tried a second time.
    // Exceptions from an operator propagate; the nodes updated before stay clean.
    // Plans, then executes the plan (RenderPlan.h); `control` carries the cancel flag, and the result
    // is false when the render was cancelled. Threads are the process-wide count (core/parallel/Parallel.h).
    bool renderCollector(VisualNode& collector, Progress& progress, const RenderControl& control = {});
    // renderCollector for every collector (type id 0) in node order.
    bool renderAll(Progress& progress, const RenderControl& control = {});

    // What renderCollector or renderAll would do, without doing it; valid until the next edit.
    RenderPlan planCollector(VisualNode& collector) const;
    RenderPlan planAll() const;
    // The renders of these collectors in this order, each as renderCollector would do it after the
    // ones before.
    RenderPlan planRender(std::span<VisualNode* const> collectors) const;

private:
    bool hasNode(const VisualNode* node) const { return findNodeIndex(node).has_value(); }
    VisualNode& nodeWithId(NodeId id);
    void append(std::unique_ptr<VisualNode> node);
    // Whether the cable can go back into a list of `cableCount` cables, with `returning` (a node on its
    // way back, or null) counted as present.
    bool canRestore(const RemovedCable& cable, std::size_t cableCount, const VisualNode* returning) const;
    Cable& insertCable(const RemovedCable& cable);
    void announce(MaterialChange::Kind kind, NodeId node = {}, std::size_t index = 0);
    void beforeEdit() const;
    void exchangeContent(Material& other);

    std::vector<std::unique_ptr<VisualNode>> nodes_;
    std::vector<std::unique_ptr<Cable>> cables_;
    std::function<void()> editGate_;
    ObserverList<MaterialObserver> observers_;
};
