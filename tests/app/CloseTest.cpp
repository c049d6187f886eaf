// Closing the window: it never waits on itself, and it does not wait for transfers to time out.
#include "AppTestEnv.h"

#include "../fixtures/LocalHttpServer.h"
#include "workers/CalendarService.h"

#include <QApplication>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;

namespace {

// Ends the test program if the test is still running after the limit: a deadlock would
// otherwise hold ctest until its own time-out.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit)
        : thread_([this, limit] {
              std::unique_lock lock(lock_);
              if (!done_.wait_for(lock, limit, [&] { return finished_; })) {
                  std::fputs("deadlock: the test did not end in time\n", stderr);
                  std::_Exit(3);
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(lock_);
            finished_ = true;
        }
        done_.notify_all();
        thread_.join();
    }

private:
    std::mutex lock_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

// Points the window at another calendar service for the test's life.
class CalendarAt {
public:
    explicit CalendarAt(const std::string& url) : saved_(workers::CalendarBaseUrl()) {
        workers::SetCalendarBaseUrl(url);
    }
    ~CalendarAt() { workers::SetCalendarBaseUrl(saved_); }

private:
    std::string saved_;
};

} // namespace

// The download's error box runs an event loop on the window thread while its worker waits for
// it; meanwhile the application is told to quit, or the window is closed. Closing must end
// that box, not wait for it.
TEST_F(WindowTest, ClosingWhileTheDownloadErrorIsShownEndsTheProgram) {
    const testing_support::RefusedPort down;
    CalendarAt calendar(down.Url());
    tk::MessagePresenter recording = tk::SetMessagePresenter(nullptr); // real dialogs
    Watchdog watchdog(60s);
    for (bool quit : {true, false}) {
        SCOPED_TRACE(quit ? "quit" : "close");
        TForm1 form;
        ASSERT_TRUE(form.Create());
        form.show();
        QTimer poll;
        bool boxShown = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!QApplication::activeModalWidget()) return;
            boxShown = true;
            poll.stop();
            if (quit)
                QCoreApplication::quit();
            else
                form.close();
        });
        poll.start(5);
        QApplication::exec();
        EXPECT_TRUE(boxShown);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    tk::SetMessagePresenter(recording);
}

// A calendar service that accepts the request and stays silent: closing stops both downloads
// at once instead of waiting for the transfer to notice.
TEST_F(WindowTest, ClosingDuringDownloadsTakesWellUnderAFifthOfASecond) {
    testing_support::LocalHttpServer http;
    std::mutex lock;
    std::condition_variable released;
    bool release = false;
    int asked = 0;
    http.Server().Get("/calendar.php", [&](const httplib::Request&, httplib::Response& res) {
        std::unique_lock guard(lock);
        ++asked;
        released.wait_for(guard, 20s, [&] { return release; });
        res.set_content("late", "text/plain");
    });
    http.Start();
    struct Release {
        std::mutex& lock;
        std::condition_variable& released;
        bool& release;
        ~Release() {
            std::lock_guard guard(lock);
            release = true;
            released.notify_all();
        }
    } releaseAtEnd{lock, released, release};
    CalendarAt calendar(http.Url("/"));

    auto form = std::make_unique<TForm1>();
    ASSERT_TRUE(form->Create());
    form->Button3Click();
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    for (;;) {
        {
            std::lock_guard guard(lock);
            if (asked > 0 || std::chrono::steady_clock::now() > deadline) break;
        }
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(form->Workers().LiveCount(), 2);
    const auto start = std::chrono::steady_clock::now();
    form->close();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, 200ms) << std::chrono::duration<double, std::milli>(took).count() << " ms";
    EXPECT_EQ(form->Workers().LiveCount(), 0);
    form.reset();
    EXPECT_TRUE(messages.empty()); // a cancelled download tells nobody
}
