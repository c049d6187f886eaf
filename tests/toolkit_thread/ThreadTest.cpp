#include "toolkit/Thread.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <thread>

using namespace std::chrono_literals;

namespace {

// A worker whose run is the given function; it reports its own deletion.
class LambdaThread final : public tk::TThread {
public:
    LambdaThread(std::function<void()> body, std::atomic<bool>* deleted = nullptr)
        : body_(std::move(body)), deleted_(deleted) {
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

class ThreadTest : public ::testing::Test {
protected:
    int argc_ = 1;
    char name_[8] = "test";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_ = std::make_unique<QCoreApplication>(argc_, argv_);
};

} // namespace

TEST_F(ThreadTest, SynchronizeRunsOnTheWindowThreadAndWaitsForIt) {
    std::atomic<bool> deleted = false, ranOnWindowThread = false;
    std::atomic<int> seenAfterward = 0;
    int value = 0; // touched by the window thread only, read back by the worker after the hop
    new LambdaThread(
        [&] {
            tk::TThread::Synchronize([&] {
                ranOnWindowThread = QThread::currentThread() == app_->thread();
                value = 42;
            });
            seenAfterward = value;
        },
        &deleted);
    ASSERT_TRUE(tk::WaitForWorkers(10s));
    EXPECT_TRUE(ranOnWindowThread);
    EXPECT_EQ(seenAfterward, 42);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(tk::LiveWorkerCount(), 0);
}

TEST_F(ThreadTest, TheEventLoopServesSynchronizeToo) {
    std::atomic<bool> done = false;
    new LambdaThread([&] { tk::TThread::Synchronize([&] { done = true; }); });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(done);
    EXPECT_TRUE(tk::WaitForWorkers(10s));
}

TEST_F(ThreadTest, AnExceptionCrossesBackToTheWorkerWithItsClassAndText) {
    std::atomic<bool> caughtConvert = false, laterHopWorked = false;
    std::string text;
    new LambdaThread([&] {
        try {
            tk::TThread::Synchronize([] { throw rtl::EConvertError("'x' is not a number"); });
        } catch (const rtl::EConvertError& e) {
            caughtConvert = true;
            text = e.Message;
        }
        tk::TThread::Synchronize([&] { laterHopWorked = true; });
    });
    ASSERT_TRUE(tk::WaitForWorkers(10s));
    EXPECT_TRUE(caughtConvert);
    EXPECT_EQ(text, "'x' is not a number");
    EXPECT_TRUE(laterHopWorked);
}

TEST_F(ThreadTest, AFailedRunEndsQuietlyAndFreesItsWorker) {
    std::atomic<bool> deleted = false;
    new LambdaThread([] { throw std::runtime_error("disk full"); }, &deleted);
    new LambdaThread([] { tk::TThread::Synchronize([] { throw 7; }); });
    ASSERT_TRUE(tk::WaitForWorkers(10s));
    EXPECT_TRUE(deleted);
    EXPECT_EQ(tk::LiveWorkerCount(), 0);
}

TEST_F(ThreadTest, ManyWorkersHoppingAtOnceAreAllServed) {
    constexpr int Workers = 8, Hops = 200;
    int counter = 0; // window thread only
    for (int w = 0; w < Workers; ++w)
        new LambdaThread([&] {
            for (int i = 0; i < Hops; ++i) tk::TThread::Synchronize([&] { ++counter; });
        });
    ASSERT_TRUE(tk::WaitForWorkers(30s));
    EXPECT_EQ(counter, Workers * Hops);
}

TEST_F(ThreadTest, WaitForWorkersGivesUpAfterItsTimeOut) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    new LambdaThread([released] { released.wait(); });
    EXPECT_EQ(tk::LiveWorkerCount(), 1);
    EXPECT_FALSE(tk::WaitForWorkers(50ms));
    release.set_value();
    EXPECT_TRUE(tk::WaitForWorkers(10s));
}

// Closing is final for the process, so these run in a child process of their own.
void CloseWhileAWorkerIsBlockedInSynchronize() {
    std::atomic<bool> entered = false, cancelled = false, ran = false;
    new LambdaThread([&] {
        entered = true;
        try {
            tk::TThread::Synchronize([&] { ran = true; });
        } catch (const tk::ESynchronizeCancelled&) {
            cancelled = true;
        }
    });
    // Not serving: the worker stays blocked until the window closes.
    while (!entered) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(50ms);
    tk::BeginClosing();
    const bool ended = tk::WaitForWorkers(10s);
    std::exit(ended && cancelled && !ran && tk::IsClosing() ? 0 : 1);
}

void StartWorkersAfterClosing() {
    tk::BeginClosing();
    std::atomic<int> cancelled = 0;
    std::atomic<bool> ran = false;
    for (int i = 0; i < 4; ++i)
        new LambdaThread([&] {
            try {
                tk::TThread::Synchronize([&] { ran = true; });
            } catch (const tk::ESynchronizeCancelled&) {
                ++cancelled;
                throw;
            }
        });
    const bool ended = tk::WaitForWorkers(10s);
    std::exit(ended && cancelled == 4 && !ran ? 0 : 1);
}

// Closing releases a worker blocked in Synchronize; after closing, Synchronize fails fast and
// workers end quietly.
TEST_F(ThreadTest, ClosingCancelsEveryHopNowAndLater) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(CloseWhileAWorkerIsBlockedInSynchronize(), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(StartWorkersAfterClosing(), ::testing::ExitedWithCode(0), "");
}
