#include "core/Parallel.h"

#include <atomic>
#include <gtest/gtest.h>

namespace {

// Rows a pass over 1000 rows in bands of 10 runs when the first band raises the flag.
int rowsRunAfterAnEarlyCancel(bool inTask) {
    std::atomic<bool> flag{false};
    std::atomic<int> rows{0};
    const auto pass = [&] {
        Velvor::forEachBand(1000, 10, [&](int begin, int end) {
            flag = true;
            rows += end - begin;
        });
    };
    const Velvor::CancelScope scope(&flag);
    if (inTask) {
        Velvor::forEachTask(2, [&](int task) {
            if (task == 0) {
                pass();
            }
        });
    } else {
        pass();
    }
    return rows;
}

} // namespace

// A raised flag stops a pass within a few bands, on one thread or several, also inside a task;
// without a scope every row runs.
TEST(ParallelTest, ARaisedCancelFlagStopsAPassBetweenBands) {
    for (const int threads : {1, 2}) {
        const Velvor::ThreadCountScope scope(threads);
        for (const bool inTask : {false, true}) {
            const int rows = rowsRunAfterAnEarlyCancel(inTask);
            EXPECT_GE(rows, 10) << threads << " threads, in task " << inTask;
            EXPECT_LE(rows, 10 * 2 * threads) << threads << " threads, in task " << inTask;
        }
        std::atomic<int> rows{0};
        Velvor::forEachBand(1000, 10, [&](int begin, int end) { rows += end - begin; });
        EXPECT_EQ(rows, 1000);
    }
}
