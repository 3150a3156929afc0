#pragma once

#include <cstddef>
#include <cstdint>

namespace Velvor {

// Pixel budget of one material, summed over every operator's image (and scratch image). A file
// cannot make the program allocate beyond it: 2^29 pixels are 2 GiB of images, room for 128 nodes of
// 2048 x 2048, far beyond real materials, yet well within a desktop's memory.
constexpr std::int64_t maxMaterialPixels = std::int64_t{1} << 29;

// Records of one packed material. Input indices are single bytes, so no record past the 256th can
// feed another; the export writes no more, and the reader refuses more, since every record costs an
// operator whatever its size.
constexpr std::size_t maxPackedRecords = 256;

} // namespace Velvor
