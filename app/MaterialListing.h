#pragma once

// What --list shows of a material: its nodes (id, type, size, every parameter's value and range) and
// its collectors with their slots, as JSON (--list --json) or as text derived from the same data.

#include "core/packed/PackedMaterial.h"
#include "model/Material.h"

#include <string>

constexpr int listingVersion = 1;

// JSON text of one input's listing object (no line break).
std::string listMaterialJson(const Material& material, const std::string& input);
std::string listPackedJson(const Velvor::PackedMaterial& material, const std::string& input);

// The listings of a run as one JSON document: {"version": 1, "materials": [ ... ]}.
std::string listingsJson(const std::vector<std::string>& listings);

// A listing object's text for people, with control characters escaped.
std::string listingText(const std::string& listingJson);
