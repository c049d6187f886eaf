#include "Activation.h"

#include "hostlink/SocketFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <vector>

namespace hostlink {

std::string StartHostProgram(const ProxyOptions& options) {
    if (access(options.HostProgram.c_str(), X_OK) != 0)
        return "cannot run " + options.HostProgram + ": " + std::strerror(errno);
    std::vector<std::string> args{options.HostProgram, "--socket", options.SocketPath};
    args.insert(args.end(), options.HostArguments.begin(), options.HostArguments.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    // Everything is prepared before the fork: between fork and exec only async-signal-safe
    // calls. The middle process ends at once, so the host is nobody's child and leaves no
    // zombie behind.
    const pid_t middle = fork();
    if (middle < 0) return std::string("cannot fork: ") + std::strerror(errno);
    if (middle == 0) {
        setsid();
        if (fork() != 0) _exit(0);
        const int null = open("/dev/null", O_RDONLY);
        if (null >= 0) dup2(null, 0);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    return "";
}

std::string SocketFolderProblem(const std::string& socketPath) {
    const size_t slash = socketPath.rfind('/');
    struct stat st {};
    if (slash != std::string::npos && slash > 0 &&
        stat(socketPath.substr(0, slash).c_str(), &st) != 0 && errno == ENOENT)
        return "";
    try {
        CheckSocketFolder(socketPath, false);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

} // namespace hostlink
