// The thread of a record source that makes its records itself (the simulated market, a replay):
// Start runs Run on a thread of its own, Stop sets stopping_, wakes the thread and joins it.
#pragma once

#include "host/RecordSource.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace hostsim {

class ThreadedSource : public RecordSource {
public:
    void Start(RecordSink& sink) final {
        std::lock_guard guard(lock_);
        if (thread_.joinable()) return;
        stopping_ = false;
        thread_ = std::thread([this, &sink] { Run(sink); });
    }

    void Stop() final {
        std::thread thread;
        {
            auto guard = Enter();
            stopping_ = true;
            thread = std::move(thread_);
        }
        wake_.notify_all();
        if (thread.joinable()) thread.join();
    }

protected:
    // Pushes records into sink until stopping_; waits on wake_ under lock_. A source's destructor
    // calls Stop first, since the thread uses the source's own members.
    virtual void Run(RecordSink& sink) = 0;

    // Takes lock_ from another thread than the source's; one that pushes records without pause
    // lets it in between two of them (LetIn). The caller notifies wake_ once it let go.
    std::unique_lock<std::mutex> Enter() {
        ++entering_;
        std::unique_lock lk(lock_);
        --entering_;
        return lk;
    }
    // The source's thread, holding lk on lock_: waits while others wait in Enter.
    void LetIn(std::unique_lock<std::mutex>& lk) {
        while (entering_ > 0) wake_.wait_for(lk, std::chrono::milliseconds(1));
    }

    std::mutex lock_; // held while pushing, so Watch and Stop wait for a round under way
    std::condition_variable wake_;
    bool stopping_ = false;

private:
    std::atomic<int> entering_ = 0;
    std::thread thread_;
};

} // namespace hostsim
