// Worker threads: each runs its Execute once, on a pooled thread, and then deletes itself.
// Window objects are touched only through Synchronize, which runs a function on the window
// (Qt main) thread and waits for it. A worker belongs to the TWorkers of its window, which
// counts it and, once closing, makes its hops fail fast.
#pragma once

#include "rtl/Exceptions.h"
#include "toolkit/Workers.h"

#include <functional>
#include <memory>

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
    // Called on the window thread it runs fn at once; on any other thread it must be called
    // from a worker's run. Needs a QCoreApplication.
    static void Synchronize(const std::function<void()>& fn);

    // Whether the owner of the calling worker is closing; false outside a worker. Long
    // transfers ask it so that a closing window need not wait for their time-outs.
    static bool Cancelled();

protected:
    explicit TThread(TWorkers& owner);

    // Starts the run; from then on the object belongs to the run, which deletes it when
    // Execute returns. A class that is created running calls Start as the last step of its
    // constructor and is final, so that Execute never sees a half-built object. A run that has
    // not begun when its window closes never begins: the object is deleted unrun, so what it
    // holds is given back in its destructor.
    void Start();

    // The run. An exception ends it quietly.
    virtual void Execute() = 0;

private:
    // A pool job: runs the owner's first pending worker, if it was not dropped.
    static void RunNext(const std::shared_ptr<TWorkers::State>& owner);
    // Deletes the worker and takes it off its owner's count.
    static void End(TThread* self);
    friend class TWorkers;

    std::shared_ptr<TWorkers::State> owner_;
    bool started_ = false;
};

} // namespace tk
