#include "toolkit/Workers.h"

#include "WorkersState.h"
#include "toolkit/Thread.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace tk {
namespace {

using State = TWorkers::State;

// Runs (or, once closing, cancels) the queued hops. Window thread only; re-entrant, as a hop
// may open a modal dialog whose event loop drains the queue again.
void Drain(State& s) {
    std::unique_lock lock(s.Lock);
    while (!s.Queue.empty()) {
        State::Request* r = s.Queue.front();
        s.Queue.pop_front();
        if (s.Closing) {
            r->Cancelled = true;
        } else {
            ++s.Running;
            lock.unlock();
            std::exception_ptr error;
            try {
                (*r->Fn)();
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            --s.Running;
            r->Error = error;
        }
        r->Done = true;
        r->Wake.notify_one();
    }
}

} // namespace

void Hop(const std::shared_ptr<State>& owner, const std::function<void()>& fn) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) throw rtl::Exception("Synchronize needs the application object");
    State& s = *owner;
    State::Request request;
    request.Fn = &fn;
    {
        std::lock_guard lock(s.Lock);
        if (s.Closing) throw ESynchronizeCancelled();
        s.Queue.push_back(&request);
        s.Changed.notify_all(); // a window thread in WaitForWorkers serves it at once
    }
    QMetaObject::invokeMethod(
        app,
        [weak = std::weak_ptr<State>(owner)] {
            if (auto s = weak.lock()) Drain(*s);
        },
        Qt::QueuedConnection);
    std::unique_lock lock(s.Lock);
    request.Wake.wait(lock, [&] { return request.Done; });
    if (request.Cancelled) throw ESynchronizeCancelled();
    if (request.Error) std::rethrow_exception(request.Error);
}

TWorkers::TWorkers() : state_(std::make_shared<State>()) {}

TWorkers::~TWorkers() {
    BeginClosing();
    WaitForWorkers();
}

int TWorkers::LiveCount() const {
    std::lock_guard lock(state_->Lock);
    return state_->Live;
}

void TWorkers::BeginClosing() {
    State& s = *state_;
    std::lock_guard lock(s.Lock);
    s.Closing = true;
    for (State::Request* r : s.Queue) {
        r->Cancelled = true;
        r->Done = true;
        r->Wake.notify_one();
    }
    s.Queue.clear();
    s.Changed.notify_all();
}

bool TWorkers::Closing() const {
    std::lock_guard lock(state_->Lock);
    return state_->Closing;
}

void TWorkers::DropPending() {
    State& s = *state_;
    std::deque<TThread*> dropped;
    {
        std::lock_guard lock(s.Lock);
        if (!s.Closing) return;
        dropped.swap(s.Pending);
    }
    // Their pool jobs find nothing to run. Waiting for them instead could wait for ever: the
    // pool's threads may all be held by workers of other windows, waiting for hops that this
    // thread serves only after this wait.
    for (TThread* worker : dropped) TThread::End(worker);
}

bool TWorkers::WaitForWorkers(std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    // milliseconds::max() means no limit (converted to the clock's unit it would overflow).
    const bool limited = timeout != std::chrono::milliseconds::max();
    const auto deadline = limited ? Clock::now() + timeout : Clock::time_point::max();
    State& s = *state_;
    for (;;) {
        Drain(s);
        DropPending();
        std::unique_lock lock(s.Lock);
        auto settled = [&] {
            return s.Live <= s.Running || !s.Queue.empty() || (s.Closing && !s.Pending.empty());
        };
        if (s.Live <= s.Running) return true;
        if (limited) {
            if (!s.Changed.wait_until(lock, deadline, settled)) return false;
        } else {
            s.Changed.wait(lock, settled);
        }
    }
}

} // namespace tk
