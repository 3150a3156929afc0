#include "core/operators/Collector.h"

#include "core/parallel/ImageBands.h"

namespace Velvor {

Collector::Collector(int width, int height)
    : Operator(OperatorType::Collector, 1, width, height, collectorFields) {}

void Collector::generate(const Image* const* inputs) {
    if (inputs != nullptr && inputs[0] != nullptr) {
        copyInBands(*inputs[0], image_);
    }
}

} // namespace Velvor
