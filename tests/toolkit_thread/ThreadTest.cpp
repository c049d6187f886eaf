#include "toolkit/Thread.h"
#include "toolkit/ThreadPool.h"
#include "toolkit/Workers.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <numeric>
#include <set>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// A worker whose run is the given function; it reports its own deletion.
class LambdaThread final : public tk::TThread {
public:
    LambdaThread(tk::TWorkers& owner, std::function<void()> body,
                 std::atomic<bool>* deleted = nullptr)
        : tk::TThread(owner), body_(std::move(body)), deleted_(deleted) {
        Start();
    }
    ~LambdaThread() override {
        if (deleted_) *deleted_ = true;
    }

protected:
    void Execute() override { body_(); }

private:
    std::function<void()> body_;
    std::atomic<bool>* deleted_;
};

// Processes the window thread's events until done() holds or ten seconds passed.
bool ServeUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done() && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Keeps posted hops from being served: it takes the queued call that would drain them and
// notes that a hop is waiting.
class HoldHops : public QObject {
public:
    HoldHops() { QCoreApplication::instance()->installEventFilter(this); }
    ~HoldHops() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool held = false;

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (target != QCoreApplication::instance() || event->type() != QEvent::MetaCall)
            return false;
        held = true;
        return true;
    }
};

class ThreadTest : public ::testing::Test {
protected:
    int argc_ = 1;
    char name_[8] = "test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_ = std::make_unique<QCoreApplication>(argc_, argv_);
    tk::TWorkers workers_;
};

} // namespace

TEST_F(ThreadTest, SynchronizeRunsOnTheWindowThreadAndCarriesErrorsBack) {
    std::atomic<bool> deleted = false, ranOnWindowThread = false, caughtConvert = false;
    std::atomic<int> seenAfterward = 0;
    std::string text;
    int value = 0; // touched by the window thread only, read back by the worker after the hop
    new LambdaThread(
        workers_,
        [&] {
            tk::TThread::Synchronize([&] {
                ranOnWindowThread = QThread::currentThread() == app_->thread();
                value = 42;
            });
            seenAfterward = value;
            try {
                tk::TThread::Synchronize([] { throw rtl::EConvertError("'x' is not a number"); });
            } catch (const rtl::EConvertError& e) {
                caughtConvert = true;
                text = e.Message;
            }
            tk::TThread::Synchronize([] { throw 7; }); // ends the run quietly
            value = -1;
        },
        &deleted);
    EXPECT_EQ(workers_.LiveCount(), 1);
    ASSERT_TRUE(workers_.WaitForWorkers(10s));
    EXPECT_TRUE(ranOnWindowThread);
    EXPECT_EQ(seenAfterward, 42);
    EXPECT_TRUE(caughtConvert);
    EXPECT_EQ(text, "'x' is not a number");
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(workers_.LiveCount(), 0);
    // Only a worker's run may wait for the window thread.
    std::exception_ptr outside;
    std::thread([&] {
        try {
            tk::TThread::Synchronize([] {});
        } catch (...) {
            outside = std::current_exception();
        }
    }).join();
    EXPECT_TRUE(outside);
}

TEST_F(ThreadTest, TheEventLoopServesHopsOfManyWorkersAtOnce) {
    constexpr int Workers = 8, Hops = 200;
    int counter = 0; // window thread only
    for (int w = 0; w < Workers; ++w)
        new LambdaThread(workers_, [&] {
            for (int i = 0; i < Hops; ++i) tk::TThread::Synchronize([&] { ++counter; });
        });
    EXPECT_TRUE(ServeUntil([&] { return workers_.LiveCount() == 0; }));
    EXPECT_EQ(counter, Workers * Hops);
}

TEST_F(ThreadTest, WaitForWorkersGivesUpAfterItsTimeOut) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    new LambdaThread(workers_, [released] { released.wait(); });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(workers_.WaitForWorkers(50ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_EQ(workers_.LiveCount(), 1);
    release.set_value();
    EXPECT_TRUE(workers_.WaitForWorkers(10s));
}

// Closing releases a worker that waits for a hop, makes later hops fail fast and is final; it
// concerns only the workers of its owner.
TEST_F(ThreadTest, ClosingCancelsEveryHopNowAndLater) {
    std::atomic<int> cancelled = 0;
    std::atomic<bool> ran = false, polledClosing = false;
    auto hopOnce = [&] {
        try {
            tk::TThread::Synchronize([&] { ran = true; });
        } catch (const tk::ESynchronizeCancelled&) {
            ++cancelled;
            polledClosing = tk::TThread::Cancelled();
            throw;
        }
    };
    tk::TWorkers other;
    std::atomic<bool> otherServed = false;
    {
        HoldHops hold;
        new LambdaThread(workers_, hopOnce);
        ASSERT_TRUE(ServeUntil([&] { return hold.held; })); // the hop waits, unserved
        EXPECT_FALSE(tk::TThread::Cancelled());             // not a worker: never cancelled
        workers_.BeginClosing();
        EXPECT_TRUE(workers_.WaitForWorkers(10s));
    }
    // Workers started once closing never run: they are deleted unrun as the owner waits.
    std::atomic<bool> deleted[3] = {false, false, false};
    for (int i = 0; i < 3; ++i) new LambdaThread(workers_, hopOnce, &deleted[i]);
    new LambdaThread(other, [&] { tk::TThread::Synchronize([&] { otherServed = true; }); });
    EXPECT_EQ(workers_.LiveCount(), 3);
    EXPECT_TRUE(workers_.WaitForWorkers(10s));
    EXPECT_TRUE(other.WaitForWorkers(10s));
    EXPECT_EQ(cancelled, 1);
    for (const auto& d : deleted) EXPECT_TRUE(d);
    EXPECT_TRUE(polledClosing);
    EXPECT_FALSE(ran);
    EXPECT_TRUE(workers_.Closing());
    EXPECT_TRUE(otherServed);
    EXPECT_FALSE(other.Closing());
}

// A hop may close its own owner (a dialog's event loop ends the program): the worker waiting
// for that hop cannot end before it returns, so the wait must not count on it.
TEST_F(ThreadTest, ClosingInsideAHopDoesNotWaitForThatHop) {
    std::atomic<bool> otherEnded = false, nestedWaitEnded = false, laterHopCancelled = false;
    new LambdaThread(workers_, [&] {
        tk::TThread::Synchronize([&] {
            new LambdaThread(
                workers_, [] {}, &otherEnded); // runs, or is dropped unrun
            workers_.BeginClosing();
            nestedWaitEnded = workers_.WaitForWorkers(10s);
        });
        try {
            tk::TThread::Synchronize([] {});
        } catch (const tk::ESynchronizeCancelled&) {
            laterHopCancelled = true;
        }
    });
    ASSERT_TRUE(workers_.WaitForWorkers(20s));
    EXPECT_TRUE(nestedWaitEnded);
    EXPECT_TRUE(otherEnded);
    EXPECT_TRUE(laterHopCancelled);
}

// Jobs beyond the pool's threads wait in its queue and every one runs once; the
// threads a burst made end when left idle.
TEST(ThreadPool, JobsBeyondTheBoundWaitForAThreadAndIdleThreadsEnd) {
    tk::TThreadPool pool(2, 100ms);
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::mutex lock;
    std::vector<int> order;
    std::set<std::thread::id> threads;
    std::atomic<int> running = 0, most = 0;
    for (int i = 0; i < 12; ++i)
        pool.Run([&, i] {
            const int now = ++running;
            for (int seen = most; now > seen && !most.compare_exchange_weak(seen, now);) {
            }
            released.wait();
            {
                std::lock_guard guard(lock);
                order.push_back(i);
                threads.insert(std::this_thread::get_id());
            }
            --running;
        });
    EXPECT_EQ(pool.Threads(), 2);
    std::this_thread::sleep_for(50ms); // what a third thread would need to start
    EXPECT_EQ(running, 2);
    release.set_value();
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (pool.Threads() > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    EXPECT_EQ(pool.Threads(), 0);
    EXPECT_EQ(most, 2);
    EXPECT_EQ(threads.size(), 2u);
    std::sort(order.begin(), order.end());
    std::vector<int> each(12);
    std::iota(each.begin(), each.end(), 0);
    EXPECT_EQ(order, each);
}

// A closing window must not wait for pool threads that workers of another window hold while
// their hops wait for this very thread: its own runs that have not begun are dropped.
TEST_F(ThreadTest, ClosingNeverWaitsForAThreadThatOtherWindowsHold) {
    tk::TThreadPool& pool = tk::TThreadPool::Shared();
    tk::TWorkers other;
    std::atomic<int> holding = 0;
    for (int i = 0; i < pool.MaxThreads(); ++i)
        new LambdaThread(other, [&] {
            ++holding;
            tk::TThread::Synchronize([] {});
        });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (holding < pool.MaxThreads() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_EQ(holding, pool.MaxThreads());
    std::atomic<bool> ran = false, deleted = false;
    new LambdaThread(
        workers_, [&] { ran = true; }, &deleted);
    workers_.BeginClosing();
    EXPECT_TRUE(workers_.WaitForWorkers(5s));
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(ran);
    EXPECT_TRUE(other.WaitForWorkers(10s));
}
