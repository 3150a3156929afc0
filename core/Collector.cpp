#include "core/Collector.h"

#include "core/ParameterBytes.h"

namespace Velvor {

Collector::Collector(int width, int height) : Operator(OperatorType::Collector, 1, width, height) {}

void Collector::generate(const Image* const* inputs) {
    if (inputs != nullptr && inputs[0] != nullptr) {
        image_ = *inputs[0];
    }
}

const std::uint8_t*& Collector::readParameters(const std::uint8_t*& cursor) {
    index = readInt16(cursor);
    return cursor;
}

void Collector::writeParameters(std::vector<std::uint8_t>& out) const {
    appendInt16(out, index);
}

} // namespace Velvor
