// Worker threads: each runs its Execute once on a thread of its own and then deletes itself.
// Window objects are touched only through Synchronize, which runs a function on the window
// (Qt main) thread and waits for it.
//
// Closing: the window calls BeginClosing and then WaitForWorkers before it releases anything.
// After BeginClosing every queued or new Synchronize throws ESynchronizeCancelled, which ends
// the worker's run quietly, so a worker can never hold the window up while it closes.
#pragma once

#include "rtl/Exceptions.h"

#include <chrono>
#include <functional>

namespace tk {

// Raised by Synchronize once the window is closing; a worker lets it end its run.
class ESynchronizeCancelled : public rtl::Exception {
public:
    ESynchronizeCancelled() : rtl::Exception("The window is closing") {}
};

class TThread {
public:
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    virtual ~TThread();

    // Runs fn on the window thread and waits for it; an exception fn throws is raised here.
    // Called on the window thread it runs fn at once. Needs a QCoreApplication.
    static void Synchronize(const std::function<void()>& fn);

protected:
    TThread();

    // Starts the thread; from then on the object belongs to the thread, which deletes it when
    // Execute returns. A class that is created running calls Start as the last step of its
    // constructor and is final, so that Execute never sees a half-built object.
    void Start();

    // The run. An exception ends it quietly.
    virtual void Execute() = 0;

private:
    static void Run(TThread* self);

    bool started_ = false;
};

// Started workers whose run has not finished yet.
int LiveWorkerCount();

// Cancels the Synchronize requests that wait and makes later ones fail fast. Window thread.
void BeginClosing();
bool IsClosing();

// Waits, on the window thread, until no worker is live, serving (or, once closing,
// cancelling) the Synchronize requests meanwhile. False when the time-out passed first.
bool WaitForWorkers(std::chrono::milliseconds timeout = std::chrono::milliseconds::max());

} // namespace tk
