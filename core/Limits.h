#pragma once

#include <cstddef>
#include <cstdint>

namespace Velvor {

// Pixel budget of one material, summed over every operator's image (and scratch image). A file
// cannot make the program allocate beyond it: 2^29 pixels are 2 GiB of images, room for 128 nodes of
// 2048 x 2048, far beyond real materials, yet well within a desktop's memory.
constexpr std::int64_t maxMaterialPixels = std::int64_t{1} << 29;

// Pixels one operator of the type and size keeps against that budget: its image, and for the plasma
// (type 3) the scratch image of the same size. Both loaders count with this, and a collector's copy of
// its input lands in its own image (inputs always have the consumer's size), so whatever loads as a
// material file also loads as its packed export.
constexpr std::int64_t operatorPixels(int typeId, std::int64_t width, std::int64_t height) {
    return width * height * (typeId == 3 ? 2 : 1);
}

// Records of one packed material. Input indices are single bytes, so no record past the 256th can
// feed another; the export writes no more, and the reader refuses more, since every record costs an
// operator whatever its size.
constexpr std::size_t maxPackedRecords = 256;

} // namespace Velvor
