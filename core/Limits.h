#pragma once

#include <cstdint>

namespace Velvor {

// Pixel budget of one material, summed over every operator's image (and scratch image). A file
// cannot make the program allocate beyond it: 2^29 pixels are 2 GiB of images, room for 128 nodes of
// 2048 x 2048, far beyond real materials, yet well within a desktop's memory.
constexpr std::int64_t maxMaterialPixels = std::int64_t{1} << 29;

} // namespace Velvor
