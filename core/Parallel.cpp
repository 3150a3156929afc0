#include "core/Parallel.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

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
    if (errno != 0 || *end != '\0' || value < 1 || value > INT_MAX) {
        return 0;
    }
    return static_cast<int>(value);
}

int threadCount() {
    return configuredCount().load(std::memory_order_relaxed);
}

void setThreadCount(int count) {
    configuredCount().store(std::max(1, count), std::memory_order_relaxed);
}

namespace parallelDetail {

void forEachBand(int count, int minimumBand, BandFunction run, const void* body) {
    if (count <= 0) {
        return;
    }
    const int threads = threadCount();
    minimumBand = std::max(1, minimumBand);
    const std::atomic<bool>* flag = cancelFlag;
    if (threads <= 1 || count < 2 * minimumBand) {
        runBandsInTurn(count, minimumBand, run, body, flag);
        return;
    }
#if defined(_OPENMP)
    // A few bands per thread, so a thread slowed by other work does not hold up the rest; many when
    // the pass may be cancelled, so that it stops soon.
    const int bands = std::clamp(count / minimumBand, 1, threads * (flag != nullptr ? 64 : 4));
    const int bandSize = (count + bands - 1) / bands;
    const auto runBand = [&](int band) {
        const int begin = band * bandSize;
        const int end = std::min(count, begin + bandSize);
        if (begin < end && !isCancelled(flag)) {
            run(body, begin, end);
        }
    };
    // Inside a task of forEachTask the other threads have tasks of their own.
    if (omp_in_parallel()) {
        runBandsInTurn(count, minimumBand, run, body, flag);
        return;
    }
#pragma omp parallel for num_threads(threads) schedule(dynamic, 1)
    for (int band = 0; band < bands; ++band) {
        runBand(band);
    }
#else
    runBandsInTurn(count, minimumBand, run, body, flag);
#endif
}

void forEachTask(int count, TaskFunction run, const void* body) {
    const int threads = threadCount();
#if defined(_OPENMP)
    if (threads > 1 && count > 1 && !omp_in_parallel()) {
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
