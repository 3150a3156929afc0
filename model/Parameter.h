#pragma once

// One editable parameter of a node type. The catalogue (NodeType.h) lists these records per type;
// the material file, the packed export and the parameter panel are all derived from them, so a
// parameter is declared exactly once.

#include "core/Operator.h"

#include <cstdint>
#include <span>
#include <string_view>

enum class ParameterKind {
    Int,       // signed 16-bit, edited over minimum..maximum
    EnumRadio, // signed 16-bit, one of `options`, shown as radio buttons
    EnumList,  // signed 16-bit, one of `options`, shown as a drop-down list
    Colour,    // 32-bit pixel word 0xAARRGGBB
    Text,      // the Text operator's zero-terminated string
};

struct EnumOption {
    std::int16_t value;
    std::string_view label;
};

struct ParameterInfo {
    std::string_view label;
    std::string_view xmlKey;
    ParameterKind kind = ParameterKind::Int;
    // Int and enum kinds: the 16-bit value; Colour: the word's bits.
    std::int32_t defaultValue = 0;
    std::string_view defaultText; // Text kind
    std::int16_t minimum = 0;     // Int kind, inclusive
    std::int16_t maximum = 0;
    std::span<const EnumOption> options; // enum kinds, in display order
    // False for a value that lives in the file but has no editor in the panel.
    bool inPanel = true;

    // Where the value lives in the operator of the record's node type. Numeric kinds use get/set:
    // set truncates to the field's width (16 bits, or the 32 colour bits). The Text kind uses
    // getText/setText; setText cuts what does not fit. Passing an operator of another type raises
    // std::bad_cast.
    std::int32_t (*get)(const Velvor::Operator&) = nullptr;
    void (*set)(Velvor::Operator&, std::int32_t) = nullptr;
    std::string_view (*getText)(const Velvor::Operator&) = nullptr;
    void (*setText)(Velvor::Operator&, std::string_view) = nullptr;

    bool isSixteenBit() const {
        return kind == ParameterKind::Int || kind == ParameterKind::EnumRadio ||
               kind == ParameterKind::EnumList;
    }
};
