#include "Sanitizers.h"
#include "TestImages.h"
#include "core/operators/OperatorFactory.h"
#include "core/parallel/Parallel.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>
#include <vector>

// Sanitizers bring their own operator new, which a program may not replace when it links them
// statically; there the counting is left out and the test skipped.
#if defined(VELVOR_ANY_SANITIZER)
#define VELVOR_COUNTS_ALLOCATIONS 0
#else
#define VELVOR_COUNTS_ALLOCATIONS 1
#endif

// Every operator new of this test program is counted while `counting` is set.
namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
} // namespace

#if VELVOR_COUNTS_ALLOCATIONS

void* operator new(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
#endif

// Rendering again at an unchanged size allocates nothing: no operator asks for memory, with one
// thread or several, and every image keeps its buffer.
TEST(AllocationTest, OperatorsRunAgainAllocateNothing) {
    if (!VELVOR_COUNTS_ALLOCATIONS) {
        GTEST_SKIP() << "the sanitizer's operator new cannot be replaced";
    }
    const Velvor::Image first = randomImage(256, 256, 1);
    const Velvor::Image second = randomImage(256, 256, 2);
    const Velvor::Image* inputs[] = {&first, &second};
    for (const int threads : {1, 2}) {
        const Velvor::ThreadCountScope scope(threads);
        for (int type = 0; type <= 6; ++type) {
            const auto op = Velvor::createOperator(type, 256, 256);
            op->generate(inputs);
            const Velvor::Pixel* buffer = op->getImage().getPixels();
            allocations = 0;
            counting = true;
            op->generate(inputs);
            counting = false;
            EXPECT_EQ(allocations, 0) << "type " << type << ", " << threads << " threads";
            EXPECT_EQ(op->getImage().getPixels(), buffer) << "type " << type;
        }
    }
}
