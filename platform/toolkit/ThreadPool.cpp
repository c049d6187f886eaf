#include "toolkit/ThreadPool.h"

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
    // Every idle thread takes one queued job; a job beyond them needs a thread of its own.
    if (size_t(idle_) > jobs_.size()) {
        jobs_.push_back(std::move(job));
        wake_.notify_one();
        return;
    }
    std::thread(&TThreadPool::Serve, this, std::move(job)).detach();
    ++threads_;
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
