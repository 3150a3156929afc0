#pragma once

// The packed form of a material for the run-time generator: the operator records every collector
// depends on, each after its inputs and each written once, in the order the collectors appear in the
// node list, then the terminator 0xFF. The layout is read by Velvor::PackedMaterial.

#include "io/Prompt.h"
#include "model/Material.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Receives one "Exporting node <name>\n" line per exported node. Without one, the lines go to the
// error stream when the environment variable VELVOR_EXPORT_LOG is set, and nowhere otherwise.
using ExportLog = std::function<void(const std::string& line)>;

// The whole packed image. Raises Exception when the material cannot be represented: a node reached
// from a collector with an input port left open ("Ai, found a node which doesn't have all its inputs
// connected! It was node: <name>"), a cable between nodes of different sizes (naming both), a cycle of
// cables, more than 256 records, or an image side beyond 65535 pixels. Nodes no collector depends on are
// neither written nor checked.
// With `records`, each written record is listed there too, in file order, with its size in bytes.
struct PackedRecord {
    NodeId node;
    std::size_t bytes;
};
std::vector<std::uint8_t> exportPacked(const Material& material, const ExportLog& log = {},
                                       std::vector<PackedRecord>* records = nullptr);

// exportPacked for callers that show failures instead of raising them: on success `target` holds the
// packed bytes and the result is true; on failure the prompt is told "An error occured while
// exporting to a packed file. An empty texture will be saved. I got the following info:\n" and the
// reason, captioned "Ai!", `target` is left empty and the result is false.
bool writePacked(const Material& material, std::vector<std::uint8_t>& target, Prompt& prompt);

// Exports, then writes the packed bytes with writeFile (base/File.h), so the old file survives a failed
// write; a failed export (reported as by writePacked) leaves the file empty. Raises Exception
// "Error writing to packed file. (<reason>)" when the file cannot be written.
bool exportPackedFile(const Material& material, const std::string& path, Prompt& prompt);
