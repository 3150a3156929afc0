// The packed reader on arbitrary bytes: either a clear Exception or a material that renders safely.
// A small pixel budget keeps each run fast: the full budget is tested by the unit tests, and large
// images would only measure memory bandwidth.
#include "base/Exception.h"
#include "core/packed/PackedMaterial.h"

#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        Velvor::PackedMaterial material(std::span<const std::uint8_t>(data, size), 64 * 64 * 16);
        material.render();
    } catch (const Exception&) {
    }
    return 0;
}
