#include "core/operators/Operator.h"

#include "core/packed/ParameterBytes.h"

#include <algorithm>
#include <cstring>

namespace Velvor {

Operator::Operator(OperatorType typeId, int numInputs, int width, int height,
                   std::span<const ParameterField> parameters)
    : image_(width, height), numInputs_(numInputs), typeId_(typeId), parameters_(parameters) {}

bool inputsFit(const Operator& op, std::span<const Image* const> inputs) {
    return inputs.size() == static_cast<std::size_t>(op.getNumInputs()) &&
           std::all_of(inputs.begin(), inputs.end(), [&](const Image* input) {
               return input != nullptr && input->sameSizeAs(op.getImage());
           });
}

void Operator::resize(int width, int height) {
    image_ = Image(width, height);
}

const std::uint8_t*& Operator::readParameters(const std::uint8_t*& cursor) {
    for (const ParameterField& field : parameters_) {
        switch (field.type) {
        case FieldType::Int16:
            field.set(*this, readInt16(cursor));
            break;
        case FieldType::Word32:
            field.set(*this, static_cast<std::int32_t>(readUint32(cursor)));
            break;
        case FieldType::Text: {
            const auto* start = reinterpret_cast<const char*>(cursor);
            const std::size_t length = std::strlen(start);
            field.setText(*this, std::string_view(start, length));
            cursor += length + 1;
            break;
        }
        }
    }
    return cursor;
}

void Operator::writeParameters(std::vector<std::uint8_t>& out) const {
    for (const ParameterField& field : parameters_) {
        switch (field.type) {
        case FieldType::Int16:
            appendInt16(out, static_cast<std::int16_t>(field.get(*this)));
            break;
        case FieldType::Word32:
            appendUint32(out, static_cast<std::uint32_t>(field.get(*this)));
            break;
        case FieldType::Text: {
            const std::string_view text = field.getText(*this);
            out.insert(out.end(), text.begin(), text.end());
            out.push_back(0);
            break;
        }
        }
    }
}

} // namespace Velvor
