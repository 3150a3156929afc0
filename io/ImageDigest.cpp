#include "io/ImageDigest.h"

#include <array>
#include <cstdio>
#include <xxhash.h>

std::string imageDigest(const Velvor::Image& image) {
    XXH3_state_t* state = XXH3_createState();
    XXH3_128bits_reset(state);
    // Byte by byte through a small buffer, so the digest does not depend on the machine's byte order.
    std::array<unsigned char, 4096> chunk{};
    std::size_t used = 0;
    const Velvor::Pixel* pixels = image.getPixels();
    for (int i = 0; i < image.getPixelCount(); ++i) {
        for (int shift = 0; shift < 32; shift += 8) {
            chunk[used++] = static_cast<unsigned char>(pixels[i] >> shift);
        }
        if (used == chunk.size()) {
            XXH3_128bits_update(state, chunk.data(), used);
            used = 0;
        }
    }
    XXH3_128bits_update(state, chunk.data(), used);
    const XXH128_hash_t hash = XXH3_128bits_digest(state);
    XXH3_freeState(state);
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(hash.high64),
                  static_cast<unsigned long long>(hash.low64));
    return text;
}
