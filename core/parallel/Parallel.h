#pragma once

// Splitting a pass over rows (or pixels) between threads. Every band runs the same code a single
// thread would run on those rows, and no band reads what another writes, so the image does not depend
// on the number of threads or on how the rows are split.
//
// The thread count is process-wide: VELVOR_THREADS (a positive integer) fixes it at start, otherwise
// every processor is used; setThreadCount overrides both. One thread runs everything on the calling
// thread, as a plain loop. Counts are bounded by maxThreadCount, and a pass uses no more threads than
// the system lets the process start (the OpenMP runtime ends the process when it cannot start one).

#include <algorithm>
#include <atomic>
#include <utility>

namespace Velvor {

// Far beyond any machine's processors; larger counts only exhaust the process's resources.
constexpr int maxThreadCount = 4096;

// Shorter spans of pixels are not worth handing to another thread.
constexpr int pixelsPerBand = 16384;

// The smallest band of rows `width` pixels long worth handing to another thread: at least one row.
constexpr int rowsPerBand(int width) {
    return std::max(1, pixelsPerBand / std::max(1, width));
}

// 1 .. maxThreadCount.
int threadCount();
// Values below 1 select one thread, values above maxThreadCount that many.
void setThreadCount(int count);
// The count VELVOR_THREADS asks for, brought down to maxThreadCount, or 0 when it is unset or not a
// positive integer.
int threadCountFromEnvironment();
// The threads a pass runs on: threadCount(), or fewer when the system would not let the process start
// that many (a process or address-space limit). Found out by starting them once per count, so the
// runtime is never asked for a thread it cannot create.
int startableThreadCount();

// Sets the thread count for one scope and gives the previous one back at its end (tests and
// commands run many renders in one process); a count below 1 leaves the count as it is.
class ThreadCountScope {
public:
    explicit ThreadCountScope(int count) : previous_(threadCount()) {
        if (count > 0) {
            setThreadCount(count);
        }
    }
    ~ThreadCountScope() { setThreadCount(previous_); }
    ThreadCountScope(const ThreadCountScope&) = delete;
    ThreadCountScope& operator=(const ThreadCountScope&) = delete;

private:
    int previous_;
};

// Lets a long pass stop early. While a scope lives on a thread, the passes that thread starts (also
// inside forEachTask tasks it starts) run no further band once the flag is true, and one thread then
// works band by band too. Such a pass returns with only part of its output written: whoever raised
// the flag must treat that output as unfinished.
class CancelScope {
public:
    explicit CancelScope(const std::atomic<bool>* flag);
    ~CancelScope();
    CancelScope(const CancelScope&) = delete;
    CancelScope& operator=(const CancelScope&) = delete;

private:
    const std::atomic<bool>* previous_;
};

namespace parallelDetail {
using BandFunction = void (*)(const void* body, int begin, int end);
void forEachBand(int count, int minimumBand, BandFunction run, const void* body);
void forEachBandInTurn(int count, int band, BandFunction run, const void* body);
using TaskFunction = void (*)(const void* body, int task);
void forEachTask(int count, TaskFunction run, const void* body);
} // namespace parallelDetail

// Calls body(begin, end) on disjoint bands covering 0 .. count - 1, each at least `minimumBand` long
// (but the last), in any order and possibly at once. Inside a task of forEachTask the bands run one
// after the other on that task's thread, the other threads having tasks of their own.
template <class Body> void forEachBand(int count, int minimumBand, const Body& body) {
    parallelDetail::forEachBand(
        count, minimumBand,
        [](const void* context, int begin, int end) { (*static_cast<const Body*>(context))(begin, end); },
        &body);
}

// For a pass that cannot be shared between threads: calls body(begin, end) on the calling thread, in
// order, on bands of `band` rows (the last may be shorter) covering 0 .. count - 1, starting no
// further band once the cancel flag is raised. Without a CancelScope the whole range is one band.
template <class Body> void forEachBandInTurn(int count, int band, const Body& body) {
    parallelDetail::forEachBandInTurn(
        count, band,
        [](const void* context, int begin, int end) { (*static_cast<const Body*>(context))(begin, end); },
        &body);
}

// Calls body(task) for every task 0 .. count - 1, possibly at once and in any order, one thread a
// task; a single task runs on the calling thread, so its bands can use every thread. A body must not
// throw.
template <class Body> void forEachTask(int count, const Body& body) {
    parallelDetail::forEachTask(
        count, [](const void* context, int task) { (*static_cast<const Body*>(context))(task); }, &body);
}

} // namespace Velvor
