#pragma once

// A thread that runs posted jobs one after another, for the whole process: a thread per window or per
// job would make each a new root of the OpenMP runtime, which does not take such roots ending lightly.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class JobThread {
public:
    JobThread() : thread_([this] { loop(); }) {}
    ~JobThread() {
        {
            const std::lock_guard lock(lock_);
            quit_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    JobThread(const JobThread&) = delete;
    JobThread& operator=(const JobThread&) = delete;

    void post(std::function<void()> job) {
        {
            const std::lock_guard lock(lock_);
            jobs_.push_back(std::move(job));
        }
        changed_.notify_one();
    }

private:
    void loop() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(lock_);
                changed_.wait(lock, [this] { return quit_ || !jobs_.empty(); });
                if (jobs_.empty()) {
                    return;
                }
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            job();
        }
    }

    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    bool quit_ = false;
    std::thread thread_; // last: it starts once the members it uses exist
};
