#include "toolkit/Thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace tk {
namespace {

struct Request {
    const std::function<void()>* Fn = nullptr;
    std::exception_ptr Error;
    bool Done = false;
    bool Cancelled = false;
};

struct Registry {
    std::mutex Lock;
    // Wakes workers whose request is done and the window thread waiting for workers.
    std::condition_variable Changed;
    std::deque<Request*> Queue;
    int Live = 0;
    bool Closing = false;
};

// Never destroyed: a worker finishing while the process exits must still find it.
Registry& State() {
    static Registry* registry = new Registry;
    return *registry;
}

// Runs (or, once closing, cancels) every queued request. Window thread only; re-entrant, as a
// request may open a modal dialog whose event loop drains the queue again.
void Drain() {
    Registry& s = State();
    std::unique_lock lock(s.Lock);
    while (!s.Queue.empty()) {
        Request* r = s.Queue.front();
        s.Queue.pop_front();
        if (s.Closing) {
            r->Cancelled = true;
        } else {
            lock.unlock();
            std::exception_ptr error;
            try {
                (*r->Fn)();
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            r->Error = error;
        }
        r->Done = true;
        s.Changed.notify_all();
    }
}

void CancelQueued(Registry& s) {
    for (Request* r : s.Queue) {
        r->Cancelled = true;
        r->Done = true;
    }
    s.Queue.clear();
    s.Changed.notify_all();
}

} // namespace

TThread::TThread() = default;
TThread::~TThread() = default;

void TThread::Start() {
    if (started_) throw rtl::Exception("Thread already started");
    started_ = true;
    Registry& s = State();
    {
        std::lock_guard lock(s.Lock);
        ++s.Live;
    }
    try {
        std::thread(&TThread::Run, this).detach();
    } catch (const std::system_error& e) {
        std::lock_guard lock(s.Lock);
        --s.Live;
        s.Changed.notify_all();
        throw rtl::Exception(std::string("Thread creation error: ") + e.what());
    }
}

void TThread::Run(TThread* self) {
    try {
        self->Execute();
    } catch (...) {
        // A failed run ends quietly; the window and the other workers go on.
    }
    delete self;
    Registry& s = State();
    std::lock_guard lock(s.Lock);
    --s.Live;
    s.Changed.notify_all();
}

void TThread::Synchronize(const std::function<void()>& fn) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) throw rtl::Exception("Synchronize needs the application object");
    if (QThread::currentThread() == app->thread()) {
        fn();
        return;
    }
    Registry& s = State();
    Request request;
    request.Fn = &fn;
    {
        std::lock_guard lock(s.Lock);
        if (s.Closing) throw ESynchronizeCancelled();
        s.Queue.push_back(&request);
        s.Changed.notify_all(); // a window thread in WaitForWorkers serves it at once
    }
    QMetaObject::invokeMethod(app, &Drain, Qt::QueuedConnection);
    std::unique_lock lock(s.Lock);
    s.Changed.wait(lock, [&] { return request.Done; });
    if (request.Cancelled) throw ESynchronizeCancelled();
    if (request.Error) std::rethrow_exception(request.Error);
}

int LiveWorkerCount() {
    Registry& s = State();
    std::lock_guard lock(s.Lock);
    return s.Live;
}

void BeginClosing() {
    Registry& s = State();
    std::lock_guard lock(s.Lock);
    s.Closing = true;
    CancelQueued(s);
}

bool IsClosing() {
    Registry& s = State();
    std::lock_guard lock(s.Lock);
    return s.Closing;
}

bool WaitForWorkers(std::chrono::milliseconds timeout) {
    using Clock = std::chrono::steady_clock;
    constexpr auto Slice = std::chrono::milliseconds(20);
    const auto start = Clock::now();
    Registry& s = State();
    for (;;) {
        Drain();
        std::unique_lock lock(s.Lock);
        if (s.Live == 0) return true;
        // milliseconds::max() means no limit (converted to the clock's unit it would overflow).
        if (timeout != std::chrono::milliseconds::max() && Clock::now() - start >= timeout)
            return false;
        s.Changed.wait_for(lock, Slice, [&] { return s.Live == 0 || !s.Queue.empty(); });
    }
}

} // namespace tk
