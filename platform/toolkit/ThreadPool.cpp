#include "toolkit/ThreadPool.h"

#include <system_error>
#include <thread>

namespace tk {

TThreadPool& TThreadPool::Shared() {
    static TThreadPool* pool = new TThreadPool;
    return *pool;
}

TThreadPool::~TThreadPool() {
    std::unique_lock guard(lock_);
    stopping_ = true;
    wake_.notify_all();
    ended_.wait(guard, [&] { return threads_ == 0; });
}

void TThreadPool::Run(std::function<void()> job) {
    std::lock_guard guard(lock_);
    // Every idle thread takes one queued job; beyond them a job needs a new thread, while the
    // bound allows one, or waits for a thread to finish.
    if (size_t(idle_) > jobs_.size() || threads_ >= maxThreads_) {
        jobs_.push_back(std::move(job));
        wake_.notify_one();
        return;
    }
    try {
        std::thread(&TThreadPool::Serve, this, std::move(job)).detach();
    } catch (const std::system_error&) {
        if (threads_ == 0) throw;
        jobs_.push_back(std::move(job)); // a running thread takes it when its job ends
        return;
    }
    ++threads_;
}

int TThreadPool::Threads() const {
    std::lock_guard guard(lock_);
    return threads_;
}

int TThreadPool::IdleThreads() const {
    std::lock_guard guard(lock_);
    return idle_;
}

void TThreadPool::Serve(std::function<void()> job) {
    for (;;) {
        job();
        job = nullptr; // what the job holds goes before the thread waits
        std::unique_lock guard(lock_);
        ++idle_;
        // Once stopping the queue is still served, so no job is lost.
        const bool more = wake_.wait_for(guard, idleLife_, [&] {
            return !jobs_.empty() || stopping_;
        }) && !jobs_.empty();
        --idle_;
        if (!more) {
            --threads_;
            ended_.notify_all();
            return;
        }
        job = std::move(jobs_.front());
        jobs_.pop_front();
    }
}

} // namespace tk
