#pragma once

// An operator's parameter block, declared once as a list of fields in byte order. Reading and writing
// the block (Operator::readParameters/writeParameters), the packed reader's block sizes and the
// editor's parameter records all come from that list, so a field cannot be added, dropped or moved in
// one of them alone.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>
#include <type_traits>

namespace Velvor {

class Operator;

enum class FieldType : std::uint8_t {
    Int16,  // signed 16-bit, 2 bytes little-endian
    Word32, // 32-bit word (a colour 0xAARRGGBB), 4 bytes little-endian
    Text,   // the characters and their terminating zero, at most `capacity` bytes in all
};

struct ParameterField {
    std::string_view name; // as the field is called in the operator and in the material file
    FieldType type = FieldType::Int16;
    std::size_t capacity = 0; // Text only

    // Numeric fields: get gives a 16-bit value sign-extended or the word's bits; set keeps the low 16
    // bits or all 32. Text fields: setText cuts what does not fit. Passing an operator of another type
    // raises std::bad_cast.
    std::int32_t (*get)(const Operator&) = nullptr;
    void (*set)(Operator&, std::int32_t) = nullptr;
    std::string_view (*getText)(const Operator&) = nullptr;
    void (*setText)(Operator&, std::string_view) = nullptr;

    // Bytes a numeric field takes in the block; 0 for text, whose length varies.
    constexpr std::size_t fixedSize() const {
        return type == FieldType::Int16 ? 2 : type == FieldType::Word32 ? 4 : 0;
    }
};

namespace detail {

template <class Member> struct FieldOf;
template <class Owner_, class Value_> struct FieldOf<Value_ Owner_::*> {
    using Owner = Owner_;
    using Value = Value_;
};

// One instantiation per field; the cast checks that the operator really is of the field's class.
template <auto field> std::int32_t getField(const Operator& op) {
    using Owner = typename FieldOf<decltype(field)>::Owner;
    return static_cast<std::int32_t>(dynamic_cast<const Owner&>(op).*field);
}

template <auto field> void setField(Operator& op, std::int32_t value) {
    using Field = FieldOf<decltype(field)>;
    dynamic_cast<typename Field::Owner&>(op).*field = static_cast<typename Field::Value>(value);
}

template <class Op> std::string_view getTextOf(const Operator& op) {
    return dynamic_cast<const Op&>(op).getText();
}

template <class Op> void setTextOf(Operator& op, std::string_view text) {
    dynamic_cast<Op&>(op).setText(text);
}

} // namespace detail

// A public 16-bit or 32-bit member of an operator class, e.g. numberField<&Mixer::amountA>("amountA").
template <auto field> constexpr ParameterField numberField(std::string_view name) {
    using Value = typename detail::FieldOf<decltype(field)>::Value;
    static_assert(std::is_same_v<Value, std::int16_t> || std::is_same_v<Value, std::uint32_t>,
                  "parameter fields are signed 16-bit values or 32-bit words");
    ParameterField info;
    info.name = name;
    info.type = std::is_same_v<Value, std::int16_t> ? FieldType::Int16 : FieldType::Word32;
    info.get = &detail::getField<field>;
    info.set = &detail::setField<field>;
    return info;
}

// The zero-terminated text of an operator class with getText, setText and textCapacity.
template <class Op> constexpr ParameterField textField(std::string_view name) {
    ParameterField info;
    info.name = name;
    info.type = FieldType::Text;
    info.capacity = Op::textCapacity;
    info.getText = &detail::getTextOf<Op>;
    info.setText = &detail::setTextOf<Op>;
    return info;
}

// The field of that name; in a constant expression a missing name does not compile.
constexpr const ParameterField& fieldNamed(std::span<const ParameterField> fields, std::string_view name) {
    for (const ParameterField& field : fields) {
        if (field.name == name) {
            return field;
        }
    }
    throw std::invalid_argument("no parameter field of that name");
}

} // namespace Velvor
