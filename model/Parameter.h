#pragma once

// One editable parameter of a node type: how the editor shows one field of the operator's parameter
// block. The catalogue (NodeType.h) lists these records per type; the material file and the parameter
// panel are derived from them, the packed block from the operator's own field list.

#include "core/operators/Operator.h"
#include "core/operators/ParameterField.h"

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
    std::int16_t minimum = 0; // Int kind, inclusive
    std::int16_t maximum = 0;
    std::span<const EnumOption> options; // enum kinds, in display order
    // False for a value that lives in the file but has no editor in the panel.
    bool inPanel = true;

    // The operator field the value lives in (the operator's own declaration,
    // core/operators/ParameterField.h); xmlKey is its name.
    const Velvor::ParameterField* field = nullptr;

    // Numeric kinds: the field's value (16-bit values sign-extended, a colour's bits); set truncates
    // to the field's width. The Text kind: setText cuts what does not fit. Passing an operator of
    // another type raises std::bad_cast.
    std::int32_t get(const Velvor::Operator& op) const { return field->get(op); }
    void set(Velvor::Operator& op, std::int32_t value) const { field->set(op, value); }
    std::string_view getText(const Velvor::Operator& op) const { return field->getText(op); }
    void setText(Velvor::Operator& op, std::string_view text) const { field->setText(op, text); }

    bool isSixteenBit() const {
        return kind == ParameterKind::Int || kind == ParameterKind::EnumRadio ||
               kind == ParameterKind::EnumList;
    }
};
