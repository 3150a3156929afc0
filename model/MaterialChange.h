#pragma once

// What a Material tells its observers, once per change and after the change is visible in it.

#include "model/VisualNode.h"

#include <cstddef>

struct MaterialChange {
    enum class Kind {
        NodeAdded,
        NodeRemoved,
        NodeMoved,
        NodeRenamed,
        NodeResized,
        ParameterChanged,
        CableAdded,
        CableRemoved,
        Cleared,  // every node and cable is gone
        Replaced, // a load put other nodes and cables in place of all of them
    };

    Kind kind;
    // The node concerned; for the cable kinds the cable's target. Unset for Cleared and Replaced.
    NodeId node{};
    // NodeAdded, NodeRemoved: the node's place in the node list; CableAdded, CableRemoved: the cable's
    // place in the cable list; ParameterChanged: the parameter's place in its type's list.
    std::size_t index = 0;

    friend bool operator==(const MaterialChange&, const MaterialChange&) = default;
};

// A view of a material: subscribe with Material::addObserver and leave with removeObserver before
// going away. Observers look; they do not edit the material while being told (an edit may be half
// done, as when a node's cables have gone and the node has not yet).
// An observer removed while the material tells its observers is not called later in that pass.
class MaterialObserver {
public:
    virtual ~MaterialObserver() = default;
    virtual void materialChanged(const MaterialChange& change) = 0;
};
