#pragma once

// What the packed form of a material costs, worked out from a real export without writing a file,
// so the editor can show it after every edit.

#include "model/Material.h"

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>

struct PackedBudget {
    // The packed file's size in bytes, terminator included; nothing when the material cannot be
    // exported, with the exporter's reason in `problem`.
    std::optional<std::size_t> total;
    std::string problem;
    // Per exported node, its record's bytes (header, parameters, input count and indices). Nodes no
    // collector depends on cost nothing and are absent; so is every node when the export fails.
    std::unordered_map<NodeId, std::size_t> recordBytes;
};

PackedBudget measurePackedBudget(const Material& material);
