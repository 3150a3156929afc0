// parsePoint and parseHex on arbitrary text: never crash, and agree with a reading that formats back.
#include "base/TextFormat.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Point point = parsePoint(text);
    if (parsePoint(formatPoint(point)) != point) {
        std::abort();
    }
    const std::int32_t value = parseHex(text);
    if (parseHex(formatHex32(value)) != value) {
        std::abort();
    }
    (void)parseDecimal(text);
    return 0;
}
