// Threads for short runs: each job runs once, on a pooled thread that is idle or, when none is,
// on a new one, so a job never waits for another to finish. A thread left idle for a while ends.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace tk {

class TThreadPool {
public:
    explicit TThreadPool(std::chrono::milliseconds idleLife = std::chrono::seconds(30))
        : idleLife_(idleLife) {}
    // Waits for the jobs that run and ends the idle threads.
    ~TThreadPool();
    TThreadPool(const TThreadPool&) = delete;
    TThreadPool& operator=(const TThreadPool&) = delete;

    // The pool of the process's workers. Never destroyed: its threads may still be idle when
    // the process ends.
    static TThreadPool& Shared();

    // The job must not raise. Raises std::system_error when a thread is needed and cannot be
    // made; the job then never runs.
    void Run(std::function<void()> job);

    int IdleThreads() const;

private:
    void Serve(std::function<void()> job);

    const std::chrono::milliseconds idleLife_;
    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::condition_variable ended_;
    std::deque<std::function<void()>> jobs_;
    int threads_ = 0;
    int idle_ = 0;
    bool stopping_ = false;
};

} // namespace tk
