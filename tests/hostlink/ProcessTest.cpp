// The host program and its desks as separate processes: several desks on one host, a desk
// killed outright, the host started by the first desk, the host's end after its last desk, and
// a host killed outright and started again under a desk that comes back to it.
#include "LinkTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace linktest;

namespace {

using Clock = std::chrono::steady_clock;

enum class Read { Output, Errors, Both };

// A program the test started, its standard output and/or error read line by line.
class Child {
public:
    explicit Child(std::vector<std::string> args, Read what = Read::Output) {
        int out[2], in[2];
        EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
        EXPECT_EQ(pipe2(in, O_CLOEXEC), 0);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            if (what != Read::Errors) dup2(out[1], 1);
            if (what != Read::Output) dup2(out[1], 2);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        close(in[0]);
        out_ = out[0];
        in_ = in[1];
    }
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
        if (in_ >= 0) close(in_);
    }

    // The next line, or "" when none came within the time.
    std::string Line(std::chrono::milliseconds within = std::chrono::seconds(10)) {
        const auto deadline = Clock::now() + within;
        for (;;) {
            const size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd p{out_, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, int(left.count())) <= 0) return "";
            char chunk[4096];
            const ssize_t n = read(out_, chunk, sizeof chunk);
            if (n <= 0) return "";
            buffer_.append(chunk, size_t(n));
        }
    }
    // Waits for a line that contains text; false when none came within the time.
    bool WaitFor(const std::string& text, std::chrono::milliseconds within) {
        const auto deadline = Clock::now() + within;
        while (Clock::now() < deadline) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (Line(left).find(text) != std::string::npos) return true;
        }
        return false;
    }
    void KillHard() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    // Closes its standard input (a probe's sign to leave) and waits at most the time for its
    // end; its exit code, or -1.
    int End(std::chrono::milliseconds within) {
        close(in_);
        in_ = -1;
        const auto deadline = Clock::now() + within;
        int status = 0;
        while (Clock::now() < deadline) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1, in_ = -1;
    std::string buffer_;
};

// The ticks of the next count quote lines of a probe, and the other lines between them; stops
// early at a silent probe.
std::vector<uint32_t> Ticks(Child& probe, int count, std::vector<std::string>* others = nullptr) {
    std::vector<uint32_t> ticks;
    while (int(ticks.size()) < count) {
        const std::string text = probe.Line();
        if (text.empty()) break;
        std::istringstream line(text);
        std::string word;
        uint32_t tick = 0;
        if (line >> word >> tick && word == "quote")
            ticks.push_back(tick);
        else if (others)
            others->push_back(text);
    }
    return ticks;
}

bool Consecutive(const std::vector<uint32_t>& ticks) {
    for (size_t i = 1; i < ticks.size(); ++i)
        if (ticks[i] != ticks[i - 1] + 1) return false;
    return !ticks.empty();
}

} // namespace

// Every desk subscribed to a symbol gets every record of it in the host's order; a desk killed
// outright leaves the host at once and the others go on; the host ends after its last desk.
TEST(HostProcessTest, DesksShareTheFeedAndOneKilledLeavesTheOthersServed) {
    TempFolder folder;
    const std::string socket = folder.Path() + "/host.sock";
    Child host({HOX_HOSTPROGRAM, "--socket", socket, "--rate", "200", "--linger", "3"},
               Read::Errors);
    ASSERT_TRUE(host.WaitFor("serving unix:" + socket, std::chrono::seconds(10)));

    Child first({HOX_PROBE, socket, "", "EUR/USD"});
    ASSERT_EQ(first.Line(), "subscribed");
    const std::vector<uint32_t> early = Ticks(first, 20);
    Child second({HOX_PROBE, socket, "", "EUR/USD"});
    ASSERT_EQ(second.Line(), "subscribed");
    const std::vector<uint32_t> a = Ticks(first, 200), b = Ticks(second, 100);
    ASSERT_EQ(a.size(), 200u);
    ASSERT_EQ(b.size(), 100u);
    EXPECT_TRUE(Consecutive(early)) << "the first desk lost or repeated a record";
    EXPECT_EQ(a.front(), early.back() + 1);
    EXPECT_TRUE(Consecutive(a)) << "the first desk lost or repeated a record";
    EXPECT_TRUE(Consecutive(b)) << "the second desk lost or repeated a record";
    EXPECT_GT(b.front(), early.back()); // it joined the one feed where it stood
    EXPECT_LE(b.front(), a.back());

    first.KillHard();
    EXPECT_TRUE(host.WaitFor("desk 1 left", std::chrono::seconds(5)));
    const std::vector<uint32_t> later = Ticks(second, 50);
    EXPECT_EQ(later.size(), 50u);
    EXPECT_TRUE(Consecutive(later));

    EXPECT_EQ(second.End(std::chrono::seconds(10)), 0);
    EXPECT_TRUE(host.WaitFor("no desk for 3 s, ending", std::chrono::seconds(5)));
    EXPECT_EQ(host.End(std::chrono::seconds(10)), 0);
    struct stat st {};
    EXPECT_NE(stat(socket.c_str(), &st), 0) << "the host left its socket behind";
}

// The first desk starts the host from the program it was given and waits for it; the host
// started so serves a second desk, and a program that never answers is a clear error in time.
TEST(HostProcessTest, TheFirstDeskStartsTheHost) {
    TempFolder folder;
    const std::string socket = folder.Path() + "/sub/host.sock";
    Child first({HOX_PROBE, socket, HOX_HOSTPROGRAM, "EUR/USD", "--linger", "1"});
    ASSERT_EQ(first.Line(), "subscribed");
    struct stat st {};
    ASSERT_EQ(stat((folder.Path() + "/sub").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    Child second({HOX_PROBE, socket, HOX_HOSTPROGRAM, "EUR/USD"});
    EXPECT_EQ(second.Line(), "subscribed");
    EXPECT_EQ(first.End(std::chrono::seconds(10)), 0);
    EXPECT_EQ(second.End(std::chrono::seconds(10)), 0);

    testing_support::QueuedApartment apartment;
    hostlink::ProxyOptions options;
    options.SocketPath = folder.Path() + "/silent/host.sock";
    options.HostProgram = "/bin/true";
    options.StartTimeoutMs = 1000;
    hostlink::RegisterHostProxy(options);
    com::ComPtr<hox::IHoxComMgr> manager;
    const auto start = Clock::now();
    const com::HRESULT hr = com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                                                  hox::IID_IHoxComMgr, manager.PutVoid());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(hr, com::CO_E_SERVER_EXEC_FAILURE);
    EXPECT_EQ(com::TakeErrorInfo(hr), "The trading host started from /bin/true did not answer at "
                                      "unix:" +
                                          options.SocketPath + " within 1 s");
    hostlink::RevokeHostProxy();
}

// A host killed outright: the desk says so, tries again with pauses that grow to 5 s, and when a
// host serves the socket again it logs on with the last values and subscribes once more: the new
// host's quotes arrive each once, in order.
TEST(HostProcessTest, ADeskComesBackToAHostStartedAgain) {
    TempFolder folder;
    const std::string socket = folder.Path() + "/host.sock";
    const std::vector<std::string> hostArgs{HOX_HOSTPROGRAM, "--socket",          socket, "--rate",
                                            "200",           "--health-interval", "0"};
    auto host = std::make_unique<Child>(hostArgs, Read::Errors);
    ASSERT_TRUE(host->WaitFor("serving", std::chrono::seconds(10)));
    Child desk({HOX_PROBE, socket, "", "EUR/USD"}, Read::Both);
    ASSERT_TRUE(desk.WaitFor("event 1 0 3", std::chrono::seconds(10))); // logged on
    EXPECT_TRUE(Consecutive(Ticks(desk, 20)));

    host.reset(); // killed outright
    ASSERT_TRUE(
        desk.WaitFor("hoxdesk: host connection lost, reconnecting", std::chrono::seconds(5)));
    // The records that arrived before the loss come first; then the window hears of it.
    std::string told = desk.Line();
    while (told.rfind("quote ", 0) == 0) told = desk.Line();
    EXPECT_EQ(told, "event 4");
    // Away long enough for the pause to reach its cap.
    std::this_thread::sleep_for(std::chrono::seconds(7));
    const auto back = Clock::now();
    host = std::make_unique<Child>(hostArgs, Read::Errors);
    ASSERT_TRUE(desk.WaitFor("hoxdesk: host connection back", std::chrono::seconds(8)));
    EXPECT_LT(Clock::now() - back, std::chrono::milliseconds(6500)) << "the pause grew past 5 s";

    std::vector<std::string> events;
    const std::vector<uint32_t> ticks = Ticks(desk, 100, &events);
    ASSERT_EQ(ticks.size(), 100u);
    EXPECT_EQ(ticks.front(), 1u); // the new host's feed from its start
    EXPECT_TRUE(Consecutive(ticks)) << "a record came twice or not at all";
    EXPECT_EQ(events,
              (std::vector<std::string>{"event 1 0 1", "event 3", "event 2", "event 1 0 3"}));
    EXPECT_EQ(desk.End(std::chrono::seconds(10)), 0);
}
