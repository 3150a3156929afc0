#pragma once

// Little-endian reading and writing of parameter blocks. The packed format fixes little-endian
// whatever the machine, so these work byte by byte.

#include <cstdint>
#include <vector>

namespace Velvor {

inline std::int16_t readInt16(const std::uint8_t*& cursor) {
    const auto value = static_cast<std::uint16_t>(cursor[0] | (cursor[1] << 8));
    cursor += 2;
    return static_cast<std::int16_t>(value);
}

inline std::uint32_t readUint32(const std::uint8_t*& cursor) {
    const std::uint32_t value =
        static_cast<std::uint32_t>(cursor[0]) | (static_cast<std::uint32_t>(cursor[1]) << 8) |
        (static_cast<std::uint32_t>(cursor[2]) << 16) | (static_cast<std::uint32_t>(cursor[3]) << 24);
    cursor += 4;
    return value;
}

inline void appendInt16(std::vector<std::uint8_t>& out, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    out.push_back(static_cast<std::uint8_t>(bits & 0xFF));
    out.push_back(static_cast<std::uint8_t>(bits >> 8));
}

inline void appendUint32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFF));
    }
}

} // namespace Velvor
