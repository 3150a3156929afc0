#include "core/kernels/MixerKernels.h"

#include "EveryTarget.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

// The vectorised blends must be bit-identical to the plain ones for every weight, negative included.
TEST(MixerKernelsTest, FastBlendsMatchThePlainOnesOnRandomInputs) {
    std::mt19937 random(7);
    const std::int16_t weights[] = {0, 1, 128, 255, 256, 257, 511, 512, 4096, 32767, -1, -256, -32768};
    forEveryTarget([&] {
        for (int count : {0, 1, 3, 4, 5, 16, 33, 67}) {
            std::vector<Velvor::Pixel> a(static_cast<std::size_t>(count)), b(a.size());
            for (std::size_t i = 0; i < a.size(); ++i) {
                a[i] = static_cast<Velvor::Pixel>(random());
                b[i] = static_cast<Velvor::Pixel>(random());
            }
            for (std::int16_t amountA : weights) {
                for (std::int16_t amountB : weights) {
                    std::vector<Velvor::Pixel> plain(a.size(), 0x12345678u), fast(a.size(), 0x9ABCDEF0u);
                    Velvor::addPlain(a.data(), b.data(), plain.data(), count, amountA, amountB);
                    Velvor::addFast(a.data(), b.data(), fast.data(), count, amountA, amountB);
                    ASSERT_EQ(plain, fast)
                        << "add, count " << count << " amounts " << amountA << ", " << amountB;
                    Velvor::multiplyPlain(a.data(), b.data(), plain.data(), count, amountA, amountB);
                    Velvor::multiplyFast(a.data(), b.data(), fast.data(), count, amountA, amountB);
                    ASSERT_EQ(plain, fast)
                        << "multiply, count " << count << " amounts " << amountA << ", " << amountB;
                }
            }
        }
    });
}
