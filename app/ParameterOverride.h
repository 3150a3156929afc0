#pragma once

#include "model/Material.h"

#include <cstdint>
#include <string>
#include <string_view>

// One --set NODE.PARAM=VALUE. NODE is a node's name when no other node has it, or "#ID", the node's
// id in the material file as the editor saves it (its position from 0, as --list shows it); names may
// hold dots, parameter names do not, so the parameter starts after the last dot before the '='.
struct ParameterOverride {
    std::string node;
    std::string parameter;
    std::string value;
};

// Raises UsageError (app/UsageError.h) for text without '=' or without a dot before it.
ParameterOverride parseOverride(std::string_view text);

// Sets the parameter, checked against the catalogue: a number within the parameter's range, an
// option's value or label (any case) for the enumerations, eight hexadecimal digits AARRGGBB for a
// colour, at most the field's capacity for text. Raises UsageError naming what exists (the nodes with
// that name, the type's parameters, the range or the options) and changes nothing then.
void applyOverride(Material& material, const ParameterOverride& change);

// Adds the offset to every Subplasma seed, wrapping within the seed's range.
void offsetSeeds(Material& material, std::int64_t offset);
