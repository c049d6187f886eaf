#include "AppTestEnv.h"

#include "FeedCounters.h"
#include "toolkit/Application.h"
#include "workers/CalendarService.h"

#include <httplib.h>

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// A calendar service on an ephemeral port of the loopback, answering every week alike.
class CalendarServer {
public:
    CalendarServer() {
        server_.Get("/calendar.php", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(WindowTest::kCalendarBody, "text/csv");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // A stop before the listening starts would be lost, and the join would wait for ever.
        while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        workers::SetCalendarBaseUrl("http://127.0.0.1:" + std::to_string(port_) + "/");
    }
    ~CalendarServer() {
        server_.stop();
        thread_.join();
        workers::SetCalendarBaseUrl("");
    }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

class QtEnvironment : public testing::Environment {
public:
    void SetUp() override {
        app_ = std::make_unique<tk::TApplication>(argc_, argv_);
        calendar_ = std::make_unique<CalendarServer>();
    }
    void TearDown() override {
        calendar_.reset();
        app_.reset();
    }

private:
    int argc_ = 1;
    char name_[16] = "test_app";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<tk::TApplication> app_;
    std::unique_ptr<CalendarServer> calendar_;
};

[[maybe_unused]] testing::Environment* const env =
    testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

void WindowTest::SetUp() {
    hostsim::HostOptions options;
    options.Seed = 7;
    options.RecordsPerSecond = 0;
    options.HealthIntervalMs = 0;
    options.Clock = [] { return 46000.5; };
    hostsim::RegisterSimulatedHost(options);
    tk::SetMessagePresenter([this](const std::string& text) { messages.push_back(text); });
    char buf[4096];
    savedDir = getcwd(buf, sizeof buf) ? buf : ".";
    char tmpl[] = "/tmp/hoxdesk-test-XXXXXX";
    workDir = mkdtemp(tmpl);
    ASSERT_EQ(chdir(workDir.c_str()), 0);
    // The program's folder is the test's own too: tests run as parallel processes.
    programDir = workDir + "/program/";
    ASSERT_EQ(mkdir(programDir.c_str(), 0700), 0);
    tk::TApplication::Instance()->SetExeDir(programDir);
    // A configuration folder of the test's own, never the user's.
    configDir = workDir + "/config/";
    setenv("XDG_CONFIG_HOME", configDir.c_str(), 1);
}

void WindowTest::TearDown() {
    QApplication::processEvents();
    tk::SetMessagePresenter(nullptr);
    hostsim::RevokeSimulatedHost();
    if (chdir(savedDir.c_str()) != 0) ADD_FAILURE() << "cannot return to " << savedDir;
    unsetenv("XDG_CONFIG_HOME");
    std::system(("chmod -R u+w '" + workDir + "' && rm -rf '" + workDir + "'").c_str());
}

std::unique_ptr<TForm1> WindowTest::CreatedForm() {
    auto form = std::make_unique<TForm1>();
    EXPECT_TRUE(form->Create()) << (messages.empty() ? "" : messages.back());
    form->Workers().WaitForWorkers(); // the first calendar download
    return form;
}

bool WindowTest::LogHas(const std::string& call) const {
    auto log = hostsim::HostControl::CallLog();
    return std::find(log.begin(), log.end(), call) != log.end();
}
