// The two programs as a user starts them: the window without a display, the calendar service
// on a port that another one holds.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Outcome {
    int ExitCode = -1;  // -1: killed at the deadline or by a signal
    std::string Output; // standard output and standard error together
};

// Runs the program with the environment changed as asked (an empty value removes the
// variable) and waits at most 30 seconds for it.
Outcome RunProgram(const std::vector<std::string>& args,
                   const std::map<std::string, std::string>& changes) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (!changes.count(entry.substr(0, entry.find('=')))) env.push_back(entry);
    }
    for (const auto& [name, value] : changes)
        if (!value.empty()) env.push_back(name + "=" + value);
    std::vector<char*> argv, envp;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], 1);
        dup2(pipeFds[1], 2);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(pipeFds[1]);
    Outcome outcome;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{pipeFds[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, int(left.count())) <= 0) {
            kill(pid, SIGKILL);
            break;
        }
        char buffer[4096];
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        outcome.Output.append(buffer, size_t(n));
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) outcome.ExitCode = WEXITSTATUS(status);
    return outcome;
}

const std::string kHoxdesk = HOX_BINARY_DIR "/app/hoxdesk";
const std::string kHoxcal = HOX_BINARY_DIR "/tools/hoxcal";

} // namespace

TEST(Program, WithoutADisplayItSaysHowToRunAndEndsWithTwo) {
    // No display at all, and a display that no server answers.
    const std::map<std::string, std::string> cases[] = {
        {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}},
        {{"DISPLAY", ":77"},
         {"WAYLAND_DISPLAY", ""},
         {"QT_QPA_PLATFORM", "xcb"},
         {"XAUTHORITY", "/nonexistent"}},
    };
    for (const auto& environment : cases) {
        SCOPED_TRACE(environment.at("DISPLAY"));
        const Outcome outcome = RunProgram({kHoxdesk}, environment);
        EXPECT_EQ(outcome.ExitCode, 2) << outcome.Output;
        EXPECT_NE(outcome.Output.find("xvfb-run"), std::string::npos) << outcome.Output;
    }
}

// A recording that cannot be created stops the desk at start, saying why.
TEST(Program, ARecordingThatCannotBeCreatedEndsWithTwo) {
    const Outcome outcome =
        RunProgram({kHoxdesk, "--host", "embedded", "--record", "/nonexistent/session.csv"},
                   {{"QT_QPA_PLATFORM", "offscreen"}});
    EXPECT_EQ(outcome.ExitCode, 2) << outcome.Output;
    EXPECT_NE(outcome.Output.find("/nonexistent/session.csv: cannot create the recording"),
              std::string::npos)
        << outcome.Output;
}

// A replay from the embedded host that cannot start stops the desk at start, saying why; a host
// program replays with options of its own.
TEST(Program, AReplayThatCannotStartEndsWithTwo) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{kHoxdesk, "--host", "embedded", "--replay", "/nonexistent/session.csv"},
         "/nonexistent/session.csv"},
        {{kHoxdesk, "--replay", "session.csv"}, "--replay needs --host embedded"},
        {{kHoxdesk, "--host", "embedded", "--replay", "a.csv", "--speed", "0"},
         "--speed takes max or a number above 0"},
    };
    for (const auto& [arguments, message] : cases) {
        const Outcome outcome = RunProgram(arguments, {{"QT_QPA_PLATFORM", "offscreen"}});
        EXPECT_EQ(outcome.ExitCode, 2) << outcome.Output;
        EXPECT_NE(outcome.Output.find(message), std::string::npos) << outcome.Output;
    }
}

// A second calendar service on the port of a first (which, like any server of this library,
// allows the port to be shared) must refuse to start instead of splitting its clients.
TEST(Program, TheCalendarServiceRefusesAPortInUse) {
    const int first = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(first, 0);
    const int yes = 1;
    setsockopt(first, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    setsockopt(first, SOL_SOCKET, SO_REUSEPORT, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(first, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(first, 4), 0);
    socklen_t length = sizeof address;
    ASSERT_EQ(getsockname(first, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const std::string port = std::to_string(ntohs(address.sin_port));

    const Outcome outcome = RunProgram({kHoxcal, "--port", port}, {});
    close(first);
    EXPECT_EQ(outcome.ExitCode, 1) << outcome.Output;
    EXPECT_NE(outcome.Output.find("cannot listen on 127.0.0.1:" + port), std::string::npos)
        << outcome.Output;
}
