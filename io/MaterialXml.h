#pragma once

// The material file: an XML document with the root "velvorMaterial" holding "nodes" (one element per
// node, named by its lower-cased type name, in node order) and "cables" (one "cable" per cable, in
// cable order). Node ids in a saved document are the nodes' positions in the node list, so saving the
// same material twice gives the same bytes.

#include "io/Prompt.h"
#include "model/Material.h"

#include <cstddef>
#include <set>
#include <string>

enum class LoadOutcome {
    Complete, // everything the document holds is in the material
    Partial,  // the user agreed to skip at least one node or cable
    Stopped,  // the user answered No; what was loaded before that stays
    Rejected, // not a material file (unreadable, unparsable, wrong root): the material is empty
};

// A file may create at most this many nodes: far more than a material needs (its packed form holds
// 256), few enough that loading stays quick whatever a file holds.
constexpr std::size_t maxLoadedNodes = 4096;

// The document as saved, byte for byte.
std::string materialToXml(const Material& material);
// The same document with only these nodes (in node order) and the cables among them: what the
// clipboard carries.
std::string nodesToXml(const Material& material, const std::set<NodeId>& nodes);
// Writes the document with writeFile (base/File.h), so a failed save keeps the old file. Raises
// Exception "Could not write file <path> (<reason>)" on failure.
void saveXml(const Material& material, const std::string& path);

// Replaces the material by the document's content; no default collectors are created. The content is read
// aside and handed to the material at the end in one step, so its observers hear one Replaced (a caller that
// wants the old content's memory back during the load clears the material first). Problems are asked about
// through the prompt, captioned "Ai!": "Specified file is apparently not a velvor material!" (inform) for a
// document that cannot be read or parsed, is too deep or too large to parse safely (XmlShape.h), or has
// another root; Yes/No for a node of unknown type, a node beyond maxLoadedNodes, a node whose size cannot be
// allocated (negative, or taking the material past Velvor::maxMaterialPixels), a cable from or to a node that
// was not loaded, and a cable to a port its target does not have. Sizes and values are otherwise taken as
// they are; a cable between nodes of different sizes is kept. Yes skips that node or cable, No stops loading
// at once. Loading renders nothing.
LoadOutcome loadXml(Material& material, const std::string& path, Prompt& prompt);
// loadXml for a document already in memory; a leading UTF-8 byte order mark is skipped.
LoadOutcome loadXmlText(Material& material, const std::string& text, Prompt& prompt);
