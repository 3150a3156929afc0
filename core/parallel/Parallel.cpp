#include "core/parallel/Parallel.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#if defined(_OPENMP)
#include <omp.h>
#endif

namespace Velvor {

namespace {

int processorCount() {
#if defined(_OPENMP)
    return std::max(1, omp_get_num_procs());
#else
    return 1;
#endif
}

int initialThreadCount() {
    const int fromEnvironment = threadCountFromEnvironment();
    return fromEnvironment > 0 ? fromEnvironment : processorCount();
}

std::atomic<int>& configuredCount() {
    static std::atomic<int> count{initialThreadCount()};
    return count;
}

thread_local const std::atomic<bool>* cancelFlag = nullptr;

bool isCancelled(const std::atomic<bool>* flag) {
    return flag != nullptr && flag->load(std::memory_order_relaxed);
}

// One thread, band after band, so that a raised flag is seen within a band.
void runBandsInTurn(int count, int minimumBand, parallelDetail::BandFunction run, const void* body,
                    const std::atomic<bool>* flag) {
    if (flag == nullptr) {
        run(body, 0, count);
        return;
    }
    for (int begin = 0; begin < count && !isCancelled(flag); begin += minimumBand) {
        run(body, begin, count - begin > minimumBand ? begin + minimumBand : count);
    }
}

} // namespace

CancelScope::CancelScope(const std::atomic<bool>* flag) : previous_(cancelFlag) {
    cancelFlag = flag;
}

CancelScope::~CancelScope() {
    cancelFlag = previous_;
}

int threadCountFromEnvironment() {
    const char* text = std::getenv("VELVOR_THREADS");
    if (text == nullptr || *text == '\0') {
        return 0;
    }
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1) {
        return 0;
    }
    // strtol gives LONG_MAX (and ERANGE) for a number beyond it: still a request for "very many".
    return errno == ERANGE || value > maxThreadCount ? maxThreadCount : static_cast<int>(value);
}

int threadCount() {
    return configuredCount().load(std::memory_order_relaxed);
}

void setThreadCount(int count) {
    configuredCount().store(std::clamp(count, 1, maxThreadCount), std::memory_order_relaxed);
}

namespace {

// Starts count - 1 threads that wait until all have started (so none ends and gives its resources
// back early), and returns 1 + how many started.
int probeThreads(int count) {
    std::mutex mutex;
    std::condition_variable released;
    bool release = false;
    std::vector<std::thread> started;
    started.reserve(static_cast<std::size_t>(count - 1));
    for (int i = 1; i < count; ++i) {
        try {
            started.emplace_back([&] {
                std::unique_lock lock(mutex);
                released.wait(lock, [&] { return release; });
            });
        } catch (const std::system_error&) {
            break;
        }
    }
    {
        const std::lock_guard lock(mutex);
        release = true;
    }
    released.notify_all();
    for (std::thread& thread : started) {
        thread.join();
    }
    return 1 + static_cast<int>(started.size());
}

} // namespace

int startableThreadCount() {
    const int wanted = threadCount();
    if (wanted <= 1) {
        return 1;
    }
    // The last count probed and what it gave; probing again only when the count changes.
    static std::mutex probing;
    static std::atomic<int> probedFor{0};
    static std::atomic<int> startable{1};
    if (probedFor.load(std::memory_order_acquire) != wanted) {
        const std::lock_guard lock(probing);
        if (probedFor.load(std::memory_order_relaxed) != wanted) {
            startable.store(probeThreads(wanted), std::memory_order_relaxed);
            probedFor.store(wanted, std::memory_order_release);
        }
    }
    return std::min(wanted, startable.load(std::memory_order_relaxed));
}

namespace parallelDetail {

void forEachBand(int count, int minimumBand, BandFunction run, const void* body) {
    if (count <= 0) {
        return;
    }
    minimumBand = std::max(1, minimumBand);
    const std::atomic<bool>* flag = cancelFlag;
#if defined(_OPENMP)
    // Inside a task of forEachTask the other threads have tasks of their own.
    const int threads =
        threadCount() <= 1 || count < 2 * minimumBand || omp_in_parallel() ? 1 : startableThreadCount();
    if (threads <= 1) {
        runBandsInTurn(count, minimumBand, run, body, flag);
        return;
    }
    // A few bands per thread, so a thread slowed by other work does not hold up the rest; when the
    // pass may be cancelled, bands of the smallest size, so that a raised flag is seen within one.
    const int bands =
        flag != nullptr ? std::max(1, count / minimumBand) : std::clamp(count / minimumBand, 1, threads * 4);
    const int bandSize = (count + bands - 1) / bands;
#pragma omp parallel for num_threads(threads) schedule(dynamic, 1)
    for (int band = 0; band < bands; ++band) {
        const int begin = band * bandSize;
        const int end = std::min(count, begin + bandSize);
        if (begin < end && !isCancelled(flag)) {
            run(body, begin, end);
        }
    }
#else
    runBandsInTurn(count, minimumBand, run, body, flag);
#endif
}

void forEachBandInTurn(int count, int band, BandFunction run, const void* body) {
    if (count > 0) {
        runBandsInTurn(count, std::max(1, band), run, body, cancelFlag);
    }
}

void forEachTask(int count, TaskFunction run, const void* body) {
#if defined(_OPENMP)
    // Bands inside a task run in turn, so threads beyond the tasks would only wait.
    const int threads =
        count > 1 && threadCount() > 1 && !omp_in_parallel() ? std::min(count, startableThreadCount()) : 1;
    if (threads > 1) {
        const std::atomic<bool>* flag = cancelFlag;
#pragma omp parallel num_threads(threads)
#pragma omp single
        for (int task = 0; task < count; ++task) {
#pragma omp task firstprivate(task)
            {
                // Tasks run on pool threads; the caller's flag goes with them.
                const CancelScope scope(flag);
                run(body, task);
            }
        }
        return;
    }
#endif
    for (int task = 0; task < count; ++task) {
        run(body, task);
    }
}

} // namespace parallelDetail

} // namespace Velvor
