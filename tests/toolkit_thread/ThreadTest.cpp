#include "toolkit/Thread.h"
#include "toolkit/ThreadPool.h"
#include "toolkit/Workers.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <set>
#include <thread>

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
    for (int i = 0; i < 3; ++i) new LambdaThread(workers_, hopOnce);
    new LambdaThread(other, [&] { tk::TThread::Synchronize([&] { otherServed = true; }); });
    EXPECT_TRUE(workers_.WaitForWorkers(10s));
    EXPECT_TRUE(other.WaitForWorkers(10s));
    EXPECT_EQ(cancelled, 4);
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
            new LambdaThread(workers_, [&] { otherEnded = true; });
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

TEST(ThreadPool, EveryJobRunsOnceWithoutWaitingForAnotherAndIdleThreadsEnd) {
    tk::TThreadPool pool(std::chrono::milliseconds(100));
    // The first job waits for the second: the second must get a thread of its own.
    std::promise<void> second;
    std::atomic<int> runs = 0;
    pool.Run([&, done = second.get_future().share()] {
        done.wait();
        ++runs;
    });
    pool.Run([&] {
        ++runs;
        second.set_value();
    });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while ((runs < 2 || pool.IdleThreads() < 2) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    ASSERT_EQ(runs, 2);
    ASSERT_EQ(pool.IdleThreads(), 2);
    // Later jobs reuse the idle threads.
    std::mutex lock;
    std::set<std::thread::id> threads;
    std::atomic<int> more = 0;
    for (int i = 0; i < 2; ++i)
        pool.Run([&] {
            std::lock_guard guard(lock);
            threads.insert(std::this_thread::get_id());
            ++more;
        });
    while ((more < 2 || pool.IdleThreads() < 1) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    EXPECT_EQ(more, 2);
    EXPECT_LE(threads.size(), 2u);
    // Left idle, the threads end.
    while (pool.IdleThreads() > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    EXPECT_EQ(pool.IdleThreads(), 0);
}
