#pragma once

#include "model/Material.h"
#include "model/OperatorNodes.h"

#include <string>

// Adds a node of the catalogue type with the id, at the size and position given, and returns its
// operator typed as Op, so that a test can set parameters in place.
template <class Op>
Op& addTyped(Material& material, int typeId, const std::string& name, Point size, Point position = {10, 10}) {
    VisualNode& node = material.addNode(name, *findNodeType(typeId), size, position);
    return dynamic_cast<Op&>(node.getOperator());
}

inline VisualNode& lastNode(Material& material) {
    return material.getNode(material.getNodeCount() - 1);
}

// A material without the default collectors.
struct EmptyMaterial : Material {
    EmptyMaterial() { clear(); }
};
