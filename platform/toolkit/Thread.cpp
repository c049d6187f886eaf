#include "toolkit/Thread.h"

#include "WorkersState.h"
#include "toolkit/ThreadPool.h"

#include <QCoreApplication>
#include <QThread>

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
    }
    try {
        TThreadPool::Shared().Run([this] { Run(this); });
    } catch (const std::system_error& e) {
        std::lock_guard lock(s.Lock);
        --s.Live;
        s.Changed.notify_all();
        throw rtl::Exception(std::string("Thread creation error: ") + e.what());
    }
}

void TThread::Run(TThread* self) {
    currentWorker = self;
    try {
        self->Execute();
    } catch (...) {
        // A failed run ends quietly; the window and the other workers go on.
    }
    currentWorker = nullptr;
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
