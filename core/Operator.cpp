#include "core/Operator.h"

namespace Velvor {

Operator::Operator(OperatorType typeId, int numInputs, int width, int height)
    : image_(width, height), numInputs_(numInputs), typeId_(typeId) {}

void Operator::resize(int width, int height) {
    image_ = Image(width, height);
}

const std::uint8_t*& Operator::readParameters(const std::uint8_t*& cursor) {
    return cursor;
}

void Operator::writeParameters(std::vector<std::uint8_t>& /*out*/) const {}

} // namespace Velvor
