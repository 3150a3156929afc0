#include "core/parallel/Parallel.h"

#include "Sanitizers.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

// VELVOR_THREADS is held to the bound of setThreadCount: a huge count asks for the most threads, not
// for more than the runtime survives; text that is no positive integer is not a count.
TEST(ParallelTest, CountsAreBounded) {
    const char* previous = std::getenv("VELVOR_THREADS");
    const std::string kept = previous != nullptr ? previous : "";
    const std::pair<const char*, int> cases[] = {
        {"3", 3}, {"4096", 4096}, {"4097", 4096}, {"100000", 4096}, {"99999999999999999999999", 4096},
        {"0", 0}, {"-5", 0},      {"x", 0},       {"2x", 0},        {"", 0}};
    for (const auto& [text, count] : cases) {
        ::setenv("VELVOR_THREADS", text, 1);
        EXPECT_EQ(Velvor::threadCountFromEnvironment(), count) << text;
    }
    if (previous != nullptr) {
        ::setenv("VELVOR_THREADS", kept.c_str(), 1);
    } else {
        ::unsetenv("VELVOR_THREADS");
    }
    const Velvor::ThreadCountScope scope(100000);
    EXPECT_EQ(Velvor::threadCount(), Velvor::maxThreadCount);
}

// Under an address-space limit that leaves room for a few thread stacks only, a pass at the largest
// count runs on the threads that could be started and covers every row, instead of the runtime ending
// the process.
TEST(ParallelTest, APassRunsOnTheThreadsTheSystemLetsItStart) {
#if defined(VELVOR_ANY_SANITIZER)
    // It reserves more address space than any limit leaves, and refuses to fork a threaded process.
    GTEST_SKIP() << "not under a sanitizer";
#else
    if (std::getenv("VELVOR_CAPPED_PASS") != nullptr) {
        std::ifstream statm("/proc/self/statm");
        std::size_t pages = 0;
        statm >> pages;
        const rlim_t limit = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (96u << 20);
        const rlimit cap{limit, limit};
        ::setrlimit(RLIMIT_AS, &cap);
        const Velvor::ThreadCountScope scope(Velvor::maxThreadCount);
        const int startable = Velvor::startableThreadCount();
        std::atomic<int> rows{0};
        Velvor::forEachBand(100000, 10, [&](int begin, int end) { rows += end - begin; });
        std::atomic<int> tasks{0};
        Velvor::forEachTask(100, [&](int) { ++tasks; });
        ::_exit(startable >= 1 && startable < Velvor::maxThreadCount && rows == 100000 && tasks == 100 ? 0
                                                                                                       : 3);
    }
    // The pass runs in a fresh process: a plain fork of this one would inherit a thread pool whose
    // threads did not come along, and die in it after other tests had used it.
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("VELVOR_CAPPED_PASS", "1", 1);
        ::execl("/proc/self/exe", "core_tests",
                "--gtest_filter=ParallelTest.APassRunsOnTheThreadsTheSystemLetsItStart",
                static_cast<char*>(nullptr));
        ::_exit(4);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the pass died of a signal";
    EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}
