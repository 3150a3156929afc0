#pragma once

#include "core/Operator.h"

namespace Velvor {

// An output of the material: copies its single input, adopting the input's size.
class Collector : public Operator {
public:
    Collector(int width, int height);

    void generate(const Image* const* inputs) override;
    const std::uint8_t*& readParameters(const std::uint8_t*& cursor) override;
    void writeParameters(std::vector<std::uint8_t>& out) const override;

    // Texture slot this collector fills; not used when generating.
    std::int16_t index = 0;
};

} // namespace Velvor
