// What a window's workers and the window thread share: the count, the closing flag and the
// queue of hops. Private to the toolkit.
#pragma once

#include "toolkit/Workers.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

namespace tk {

class TThread;

struct TWorkers::State {
    struct Request {
        const std::function<void()>* Fn = nullptr;
        std::exception_ptr Error;
        bool Done = false;
        bool Cancelled = false;
        // Wakes the worker waiting for this hop alone: with one shared wake, every hop done
        // would wake every worker that waits for one.
        std::condition_variable Wake;
    };

    std::mutex Lock;
    // Wakes a window thread waiting for workers.
    std::condition_variable Changed;
    std::deque<Request*> Queue;
    // Workers started and not yet taken by a pool thread, in the order they were started. Once
    // closing they never run: the window drops them (each pool job takes the first, if any).
    std::deque<TThread*> Pending;
    int Live = 0;
    // Hops the window thread is running now, each the hop of a worker that waits for it.
    int Running = 0;
    bool Closing = false;
};

// Runs fn on the window thread for a worker of owner and waits for it. Raises
// ESynchronizeCancelled once the owner is closing, and what fn raised.
void Hop(const std::shared_ptr<TWorkers::State>& owner, const std::function<void()>& fn);

} // namespace tk
