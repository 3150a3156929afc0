#pragma once

#include <cstdint>

namespace Velvor {

// The 32-bit linear congruential generator whose exact draw sequence the plasma textures depend on.
class RandomGenerator {
public:
    explicit RandomGenerator(std::int32_t seed) : state_(static_cast<std::uint32_t>(seed)) {}

    // A value in 0..32767.
    int draw() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }

private:
    std::uint32_t state_;
};

} // namespace Velvor
