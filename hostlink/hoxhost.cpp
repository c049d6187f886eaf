// The host program: serves the trading host's objects to the desks of this user over a local
// socket, with the simulated market as its source, and ends a while after its last desk left.
#include "host/RecordSource.h"
#include "host/ReplayOptions.h"
#include "hostlink/HostServer.h"
#include "hostlink/SocketFolder.h"
#include "rtl/Exceptions.h"
#include "rtl/NumberText.h"

#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

namespace {

const char* const kUsage =
    "Usage: hoxhost [options]\n"
    "  --socket PATH   the local socket (default $XDG_RUNTIME_DIR/hoxdesk/host.sock; its\n"
    "                  folder must be this user's alone, mode 0700)\n"
    "  --seed N        seed of the simulated feed (default 20240517)\n"
    "  --rate R        quote and Level 2 records per second and symbol (default 4)\n"
    "  --linger S      seconds the host stays after its last desk left (default 30)\n"
    "  --health-interval MS  milliseconds between health events (default 15000; 0: none)\n"
    "  --listen HOST:PORT  also serve desks on other machines over TCP with TLS; needs:\n"
    "  --tls-cert FILE --tls-key FILE  the host's certificate and key (PEM)\n"
    "  --token-file FILE   the access token every desk must give\n";

std::string Usage() {
    return std::string(kUsage) + hostsim::ReplayUsage + "  --help          this text\n";
}

struct Options {
    hostlink::ServerOptions server;
    uint64_t seed = 20240517;
    double rate = 4;
    hostsim::ReplayOptions replay;
};

uint64_t ParseWhole(const std::string& option, const std::string& text, uint64_t max) {
    uint64_t value = 0;
    bool ok = !text.empty() && text.size() <= 19;
    for (char c : text) ok = ok && c >= '0' && c <= '9';
    for (char c : text) value = value * 10 + uint64_t(c - '0');
    if (!ok || value > max)
        throw rtl::EConvertError(option + " takes a whole number up to " + std::to_string(max) +
                                 ", not '" + text + "'");
    return value;
}

// Returns false (after printing why) when the program should not start.
bool ParseOptions(int argc, char** argv, Options& options, int& exitCode) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw rtl::EConvertError("missing value after " + arg);
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(Usage().c_str(), stdout);
            exitCode = 0;
            return false;
        } else if (arg == "--socket") {
            options.server.SocketPath = value();
            if (options.server.SocketPath.empty())
                throw rtl::EConvertError("--socket needs a path");
        } else if (arg == "--seed") {
            options.seed = ParseWhole(arg, value(), UINT64_MAX / 10);
        } else if (arg == "--rate") {
            const double rate = rtl::StrToFloat(value());
            if (!(rate >= 0 && rate <= 100000))
                throw rtl::EConvertError("--rate must lie between 0 and 100000");
            options.rate = rate;
        } else if (arg == "--linger") {
            options.server.LingerSeconds = int(ParseWhole(arg, value(), 86400));
        } else if (arg == "--listen") {
            options.server.ListenAddress = value();
        } else if (arg == "--tls-cert") {
            options.server.TlsCertFile = value();
        } else if (arg == "--tls-key") {
            options.server.TlsKeyFile = value();
        } else if (arg == "--token-file") {
            options.server.TokenFile = value();
        } else if (arg == "--health-interval") {
            options.server.HealthIntervalMs = int(ParseWhole(arg, value(), 3600000));
        } else if (hostsim::ParseReplayOption(argc, argv, i, options.replay)) {
        } else {
            throw rtl::EConvertError("unknown option " + arg);
        }
    }
    const auto& s = options.server;
    if (!s.ListenAddress.empty() &&
        (s.TlsCertFile.empty() || s.TlsKeyFile.empty() || s.TokenFile.empty()))
        throw rtl::EConvertError("--listen needs --tls-cert, --tls-key and --token-file");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    int exitCode = 2;
    try {
        if (!ParseOptions(argc, argv, options, exitCode)) return exitCode;
        if (options.server.SocketPath.empty())
            options.server.SocketPath = hostlink::DefaultSocketPath();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "hoxhost: %s\n%s", e.what(), Usage().c_str());
        return 2;
    }
    // SIGINT and SIGTERM end the server in order; they are taken by one thread of ours, so they
    // must be blocked before the server starts its own threads.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    try {
        std::unique_ptr<hostsim::RecordSource> source;
        if (options.replay.files.empty())
            source = hostsim::MakeSimulatedSource(options.seed, options.rate);
        else
            source = hostsim::OpenReplay(options.replay, std::cerr);
        hostlink::THostServer server(options.server, std::move(source));
        if (!server.Start()) return 0; // another host serves the socket: the desks have one
        std::thread stopper([&server, stops] {
            int signal = 0;
            sigwait(&stops, &signal);
            server.Shutdown();
        });
        server.Wait();
        server.Shutdown();
        pthread_kill(stopper.native_handle(), SIGTERM); // wakes the waiting thread, blocked here
        stopper.join();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "hoxhost: %s\n", e.what());
        return 1;
    }
    return 0;
}
