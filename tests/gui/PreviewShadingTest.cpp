#include "core/parallel/Parallel.h"
#include "gui/preview/LitPicture.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace {

Velvor::Image randomImage(int width, int height, std::mt19937& random) {
    Velvor::Image image(width, height);
    for (int i = 0; i < image.getPixelCount(); ++i) {
        image.getPixels()[i] = random();
    }
    return image;
}

bool samePixels(const Velvor::Image& a, const Velvor::Image& b) {
    return a.sameSizeAs(b) &&
           std::memcmp(a.getPixels(), b.getPixels(), static_cast<std::size_t>(a.getPixelCount()) * 4) == 0;
}

} // namespace

// Rows narrower than a vector, with a tail, and longer than one block of the vector pass; normals of
// every direction (facing away too); a light over the plane, far off, and in the plane on a pixel
// (a direction of length 0).
TEST(LitPictureTest, BandsOnEveryThreadGiveThePlainShadingsPixels) {
    std::mt19937 random(7);
    for (const auto& [width, height] : {std::pair{3, 2}, {203, 61}, {1030, 40}}) {
        const LitMaps maps{randomImage(width, height, random), randomImage(width, height, random),
                           randomImage(width, height, random)};
        for (const PreviewLight light : {PreviewLight{1.0f, 1.0f, 0.0f}, PreviewLight{40.5f, 9.0f, 30.0f},
                                         PreviewLight{-900.0f, 3000.0f, 2.0f}}) {
            for (const bool withSpecular : {true, false}) {
                const LitMaps shown{maps.diffuse, maps.normals,
                                    withSpecular ? maps.specular : std::optional<Velvor::Image>()};
                Velvor::Image plain(0, 0);
                shadeLitPlane(shown.diffuse, shown.normals, shown.specular ? &*shown.specular : nullptr,
                              light, plain);
                for (const int threads : {1, 2, 7}) {
                    const Velvor::ThreadCountScope scope(threads);
                    QImage picture;
                    shadeLitPicture(shown, light, picture);
                    EXPECT_TRUE(samePixels(imageOfPicture(picture), plain))
                        << width << " x " << height << ", light at " << light.x << ", " << light.y
                        << ", specular " << withSpecular << ", threads " << threads;
                }
            }
        }
    }
}
