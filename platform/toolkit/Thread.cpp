#include "toolkit/Thread.h"

#include "WorkersState.h"
#include "toolkit/ThreadPool.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <system_error>

namespace tk {
namespace {

// The worker whose run the calling thread is carrying out.
thread_local TThread* currentWorker = nullptr;

} // namespace

TThread::TThread(TWorkers& owner) : owner_(owner.state_) {}

TThread::~TThread() = default;

void TThread::Start() {
    if (started_) throw rtl::Exception("Thread already started");
    started_ = true;
    TWorkers::State& s = *owner_;
    {
        std::lock_guard lock(s.Lock);
        ++s.Live;
        s.Pending.push_back(this);
        // A closing window runs no new worker: it drops it as it waits for its workers.
        if (s.Closing) {
            s.Changed.notify_all();
            return;
        }
    }
    try {
        TThreadPool::Shared().Run([owner = owner_] { RunNext(owner); });
    } catch (const std::system_error& e) {
        std::lock_guard lock(s.Lock);
        std::erase(s.Pending, this);
        --s.Live;
        s.Changed.notify_all();
        throw rtl::Exception(std::string("Thread creation error: ") + e.what());
    }
}

void TThread::RunNext(const std::shared_ptr<TWorkers::State>& owner) {
    TThread* self = nullptr;
    {
        std::lock_guard lock(owner->Lock);
        // Once closing, the window drops what is left as it waits.
        if (owner->Closing || owner->Pending.empty()) return;
        self = owner->Pending.front();
        owner->Pending.pop_front();
    }
    currentWorker = self;
    try {
        self->Execute();
    } catch (...) {
        // A failed run ends quietly; the window and the other workers go on.
    }
    currentWorker = nullptr;
    End(self);
}

void TThread::End(TThread* self) {
    std::shared_ptr<TWorkers::State> owner = self->owner_;
    delete self;
    std::lock_guard lock(owner->Lock);
    --owner->Live;
    owner->Changed.notify_all();
}

void TThread::Synchronize(const std::function<void()>& fn) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread()) {
        fn();
        return;
    }
    if (!currentWorker) throw rtl::Exception("Synchronize is called outside a worker's run");
    Hop(currentWorker->owner_, fn);
}

bool TThread::Cancelled() {
    if (!currentWorker) return false;
    TWorkers::State& s = *currentWorker->owner_;
    std::lock_guard lock(s.Lock);
    return s.Closing;
}

} // namespace tk
