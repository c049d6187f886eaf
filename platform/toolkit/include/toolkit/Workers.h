// The workers of one owner, the window: how many still run, the hops to the window thread they
// wait for, and the closing flag after which those hops fail fast. Each window counts its own.
#pragma once

#include <chrono>
#include <memory>

namespace tk {

class TWorkers {
public:
    TWorkers();
    // Closes and waits for the workers that are left.
    ~TWorkers();
    TWorkers(const TWorkers&) = delete;
    TWorkers& operator=(const TWorkers&) = delete;

    // Workers started and not yet ended.
    int LiveCount() const;

    // Final: the hops waiting now are cancelled and later ones fail fast, so every worker ends
    // at its next hop; transfers that poll TThread::Cancelled stop.
    void BeginClosing();
    bool Closing() const;

    // Window thread. Waits until the workers have ended, serving their hops meanwhile (or,
    // once closing, cancelling them, and deleting unrun the workers whose run has not begun). A
    // worker whose hop the window thread is running further down its own stack (a message box's
    // event loop, say) cannot end before that hop returns, so it is not waited for. False when the
    // time-out passed first.
    bool WaitForWorkers(std::chrono::milliseconds timeout = std::chrono::milliseconds::max());

    struct State;

private:
    friend class TThread;
    void DropPending();

    std::shared_ptr<State> state_;
};

} // namespace tk
