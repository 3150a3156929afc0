#pragma once

// What a render could not bring up to date, and why: the editor marks such pictures as not current
// and the command line warns, in the same words.

#include "model/Material.h"

#include <optional>
#include <string>
#include <vector>

// Nodes upstream of the collector (itself included) that rendering left ungenerated: an open input,
// an input of another size, or a cycle that consumed an input's cable. A discarded image was generated.
std::vector<const VisualNode*> ungeneratedUpstream(const Material& material, const VisualNode& collector);

// Why the node cannot be generated: "input Source B is open", "input Source is 256 x 256, not
// 512 x 512", or, with every input set and of its size, "no collector uses it" for a node no render
// reaches, else "it lies in a cycle of cables".
std::string whyNotGenerated(const Material& material, const VisualNode& node);

// After a finished render: why the node's picture is not current (it could not be generated, or it is
// a collector fed by such a node), or nothing when it is (a collector without an input is an unused
// slot, not an incomplete one).
std::optional<std::string> whyNotCurrent(const Material& material, const VisualNode& node);
