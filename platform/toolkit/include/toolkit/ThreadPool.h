// Threads for short runs: each job runs once, on a pooled thread that is idle or, while there
// are fewer threads than the bound, on a new one; beyond the bound jobs wait in the queue, in
// the order they came, for a thread to finish its job. A thread left idle for a while ends.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace tk {

class TThreadPool {
public:
    explicit TThreadPool(int maxThreads = 8,
                         std::chrono::milliseconds idleLife = std::chrono::seconds(30))
        : maxThreads_(maxThreads), idleLife_(idleLife) {}
    // Runs the jobs still queued, waits for them and ends the threads.
    ~TThreadPool();
    TThreadPool(const TThreadPool&) = delete;
    TThreadPool& operator=(const TThreadPool&) = delete;

    // The pool of the process's workers. Never destroyed: its threads may still be idle when
    // the process ends, and they touch nothing but the pool.
    static TThreadPool& Shared();

    // The job must not raise. Jobs may wait for one another only in the order they were
    // queued: a job that waits for a later one may wait for a thread that never comes. Raises
    // std::system_error when a thread is needed, none can be made and none runs; the job then
    // never runs.
    void Run(std::function<void()> job);

    int MaxThreads() const { return maxThreads_; }
    int Threads() const;
    int IdleThreads() const;

private:
    void Serve(std::function<void()> job);

    const int maxThreads_;
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
