#pragma once

// Nodes on their way through the clipboard: a material document holding some nodes and the cables
// among them (nodesToXml writes one). Reading a fragment gives new nodes, with ids of their own, made
// ready to join another material.

#include "base/Point.h"
#include "model/Material.h"

#include <cstddef>
#include <memory>
#include <string>

struct PastedNodes {
    std::unique_ptr<Material> nodes; // never null, never empty
    std::size_t collectorsLeftOut = 0;
};

// Reads the fragment and fits it to `target`: the nodes move so that the top-left corner of their
// bounding box is at `at`, a name the target (or an earlier pasted node) already uses gets a number,
// and a collector whose slot the target already fills is left out with its cables (a material has
// one collector per slot). Raises Exception with a line for the user, and makes nothing, for text
// that is not a material document, for a fragment with nothing left to paste, and for nodes that
// would take the target past the node limit or the pixel budget of a loadable file.
PastedNodes readFragment(const std::string& text, const Material& target, Point at);
