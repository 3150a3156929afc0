// The packed reader on arbitrary bytes: either a clear Exception or a material that renders safely.
#include "base/Exception.h"
#include "core/PackedMaterial.h"

#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        Velvor::PackedMaterial material(std::span<const std::uint8_t>(data, size));
        // Rendering large images would only measure memory bandwidth; the reader's checks are the target.
        std::int64_t pixels = 0;
        for (std::size_t i = 0; i < material.getRecordCount(); ++i) {
            pixels += material.getOperator(i).getImage().getPixelCount();
        }
        if (pixels <= 64 * 64 * 16) {
            material.render();
        }
    } catch (const Exception&) {
    }
    return 0;
}
