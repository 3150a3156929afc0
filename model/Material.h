#pragma once

// The document: the ordered nodes and cables of one texture material, the connection rules, and
// rendering. The node order is the save, "Render all" and drawing order (the last node is topmost);
// the cable order decides in which order a node's inputs are rendered.
//
// Invariants: no two cables end at the same input port; a cable never joins a node to itself, starts
// at a node with an output, ends at an existing input port of its target, and joins two nodes of this
// material. Cables may form cycles; rendering ends anyway.

#include "base/Point.h"
#include "base/Progress.h"
#include "model/Cable.h"
#include "model/NodeType.h"
#include "model/VisualNode.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Material {
public:
    static constexpr Point spawnPosition{10, 10};
    static constexpr Point defaultCollectorSize{256, 256};

    // A new material holds the default collectors.
    Material();
    Material(const Material&) = delete;
    Material& operator=(const Material&) = delete;
    virtual ~Material();

    std::size_t getNodeCount() const { return nodes_.size(); }
    VisualNode& getNode(std::size_t index) { return *nodes_.at(index); }
    const VisualNode& getNode(std::size_t index) const { return *nodes_.at(index); }
    std::size_t getCableCount() const { return cables_.size(); }
    Cable& getCable(std::size_t index) { return *cables_.at(index); }
    const Cable& getCable(std::size_t index) const { return *cables_.at(index); }
    // The node's position in the node list, if it belongs to this material.
    std::optional<std::size_t> findNodeIndex(const VisualNode* node) const;

    // Creates a node of the type at spawnPosition and appends it; callers move it afterwards.
    VisualNode& addNode(std::string name, const NodeTypeInfo& type, Point size);
    // The topmost node whose box holds the point, or null.
    VisualNode* nodeAt(Point point) const;

    // In each call exactly one port is -1, the output of its node; the other is an input port.
    // canConnect is the canvas's test: it also compares sizes and refuses occupied inputs.
    bool canConnect(const VisualNode& a, int portA, const VisualNode& b, int portB) const;
    // Adds the cable from the side with port -1 to the other side's input, unless the nodes are the
    // same, the ports are not one output and one existing input port, the source has no output, the
    // input is already taken (it is never replaced), or a node is not part of this material. Sizes are
    // not compared. Returns the new cable, or null when nothing was added.
    Cable* connect(VisualNode& a, int portA, VisualNode& b, int portB);
    // Raises Exception "Port must be >= 0" for a negative port.
    bool isPortConnected(const VisualNode& node, int port) const;

    // Raises Exception "Could not delete cable, cable not found in material!" for a foreign cable.
    void removeCable(const Cable* cable);
    // Removes the node's cables (last to first), then the node. Raises Exception "Could not delete
    // node, node not found in material!" for a foreign node, leaving the material unchanged.
    void removeNode(const VisualNode* node);
    // Deletes every cable, then every node.
    void clear();
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
    void renderCollector(VisualNode& collector, Progress& progress);
    // renderCollector for every collector (type id 0) in node order.
    void renderAll(Progress& progress);

private:
    bool hasNode(const VisualNode* node) const { return findNodeIndex(node).has_value(); }

    std::vector<std::unique_ptr<VisualNode>> nodes_;
    std::vector<std::unique_ptr<Cable>> cables_;
};
