#pragma once

// The node type catalogue: the seven node types the editor offers, as one table of records.

#include "base/Point.h"
#include "model/Parameter.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

class VisualNode;

// Input port names: ports 0 .. named.size() - 1 take their name from `named`, every other port
// number (negative ones too) is called `otherPorts`.
struct PortNaming {
    std::span<const std::string_view> named;
    std::string_view otherPorts;

    std::string_view nameOf(int port) const {
        return port >= 0 && static_cast<std::size_t>(port) < named.size()
                   ? named[static_cast<std::size_t>(port)]
                   : otherPorts;
    }
};

struct NodeTypeInfo {
    std::int32_t id;       // the run-time operator's type id
    std::string_view name; // display name; lower-cased, the element name in the material file
    // Builds the type's operator with the image size (x = width, y = height) and a dirty node around
    // it. Raises Exception when the image cannot be allocated.
    std::unique_ptr<VisualNode> (*create)(std::string name, Point position, Point size);
    bool hasOutput;
    PortNaming ports;
    // In panel order, which is also the order of the file's attributes.
    std::span<const ParameterInfo> parameters;
};

// Collector, Checkerboard, Mixer, Subplasma, Displacement, NormalMap, Text: the order of the
// "Available nodes" list. The last two ids are 6 and 5.
extern const std::array<NodeTypeInfo, 7> nodeTypes;

// The record for a type id, scanning from the last record to the first (the loader's rule); null
// when no record has the id.
const NodeTypeInfo* findNodeType(std::int32_t id);
