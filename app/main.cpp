// Program entry: the application, the embedded simulated host, the window, the message loop.
#include "app/ChartToolSet.h"
#include "app/Unit1.h"

#include "chart/Chart.h"
#include "host/SimulatedHost.h"
#include "hostlink/HostProxy.h"
#include "hostlink/SocketFolder.h"
#include "jpeg/Jpeg.h"
#include "rtl/Exceptions.h"
#include "rtl/NumberText.h"
#include "toolkit/Application.h"
#include "toolkit/Cursors.h"
#include "workers/CalendarService.h"
#include "workers/SaveRun.h"

#include <QApplication>
#include <QEvent>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: hoxdesk [options]\n"
    "  --calendar-url URL  base address of the economic calendar service\n"
    "                      (default $HOXDESK_CALENDAR_URL, else http://127.0.0.1:8765/)\n"
    "  --calendar-file FILE  read the calendar from this file (the service's format) instead\n"
    "                      of the service, e.g. the week of a replay\n"
    "  --save-dir DIR      folder of the \"S\" saves (default $HOXDESK_SAVE_DIR, else \"save\"\n"
    "                      beside the program file)\n"
    "  --host HOST  the trading host: unix:PATH, the host program serving that socket (started\n"
    "               from beside hoxdesk when none answers); HOST:PORT, a host program on\n"
    "               another machine, over TLS (with --tls-ca and --token-file); or embedded,\n"
    "               the simulated host inside this program\n"
    "               (default unix:$XDG_RUNTIME_DIR/hoxdesk/host.sock)\n"
    "  --tls-ca FILE      authorities (PEM) that vouch for a HOST:PORT host's certificate\n"
    "  --token-file FILE  the access token of a HOST:PORT host\n"
    "  --seed N     seed of the simulated host's feed (default 20240517)\n"
    "  --rate R     quote and Level 2 records per second of the simulated host (default 4);\n"
    "               with a host program, they apply when hoxdesk starts it\n"
    "  --chart-tools LIST  turn tools on in every tick chart: crosshair, lastprice, events\n"
    "                      (comma-separated, e.g. crosshair,lastprice,events)\n"
    "  --record FILE       write every quote and Level 2 record that reaches the window to a\n"
    "                      recording (FILE.gz: gzip), for hoxhost --replay\n"
    "  --quit-after-first-paint  quit once the window has painted (start-up timing)\n"
    "  --help       this text\n"
    "Replay from the embedded host (with --host embedded):\n";

std::string Usage() {
    return std::string(kUsage) + hostsim::ReplayUsage;
}

struct Options {
    std::string hostEndpoint;               // "embedded", "unix:PATH", or "" for the default socket
    std::vector<std::string> hostArguments; // for a host program started here
    std::string tlsCa, tokenFile;           // for a host on another machine
    hostsim::HostOptions host;
    std::string calendarUrl;
    std::string calendarFile;
    std::string saveDir;
    std::string recordFile;
    std::vector<std::string> chartTools;
    bool quitAfterFirstPaint = false;
};

// Quits the application at the window's first paint.
class FirstPaintQuit : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return false;
    }
};

uint64_t ParseSeed(const std::string& text) {
    uint64_t seed = 0;
    bool ok = !text.empty() && text.size() <= 19;
    for (char c : text) ok = ok && c >= '0' && c <= '9';
    if (!ok) throw rtl::EConvertError("--seed takes a whole number, not '" + text + "'");
    for (char c : text) seed = seed * 10 + uint64_t(c - '0');
    return seed;
}

// Returns false (after printing why) when the program should not start.
bool ParseOptions(int argc, char** argv, Options& options, int& exitCode) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) throw rtl::EConvertError("missing value after " + arg);
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::fputs(Usage().c_str(), stdout);
            exitCode = 0;
            return false;
        } else if (arg == "--quit-after-first-paint") {
            options.quitAfterFirstPaint = true;
        } else if (arg == "--calendar-url") {
            options.calendarUrl = value();
        } else if (arg == "--calendar-file") {
            options.calendarFile = value();
            if (options.calendarFile.empty())
                throw rtl::EConvertError("--calendar-file needs a file");
        } else if (arg == "--save-dir") {
            options.saveDir = value();
            if (options.saveDir.empty()) throw rtl::EConvertError("--save-dir needs a folder");
        } else if (arg == "--record") {
            options.recordFile = value();
            if (options.recordFile.empty()) throw rtl::EConvertError("--record needs a file");
        } else if (arg == "--chart-tools") {
            options.chartTools = TChartToolSet::ParseNames(value());
        } else if (arg == "--host") {
            options.hostEndpoint = value();
            const std::string& h = options.hostEndpoint;
            const bool local = h.rfind("unix:", 0) == 0;
            if (h != "embedded" && (local ? h.size() == 5 : h.find(':') == std::string::npos))
                throw rtl::EConvertError("--host takes embedded, unix:PATH or HOST:PORT, not '" +
                                         h + "'");
        } else if (arg == "--tls-ca") {
            options.tlsCa = value();
        } else if (arg == "--token-file") {
            options.tokenFile = value();
        } else if (arg == "--seed") {
            options.host.Seed = ParseSeed(value());
            options.hostArguments.insert(options.hostArguments.end(), {"--seed", argv[i]});
        } else if (arg == "--rate") {
            double rate = rtl::StrToFloat(value());
            if (!(rate >= 0 && rate <= 10000))
                throw rtl::EConvertError("--rate must lie between 0 and 10000");
            options.host.RecordsPerSecond = rate;
            options.hostArguments.insert(options.hostArguments.end(), {"--rate", argv[i]});
        } else if (hostsim::ParseReplayOption(argc, argv, i, options.host.Replay)) {
        } else if (arg.rfind("-platform", 0) == 0 || arg.rfind("-style", 0) == 0) {
            ++i; // Qt's own options with a value
        } else {
            throw rtl::EConvertError("unknown option " + arg);
        }
    }
    // A host program replays with its own options (hoxhost --replay).
    if (!options.host.Replay.files.empty() && options.hostEndpoint != "embedded")
        throw rtl::EConvertError("--replay needs --host embedded");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    int exitCode = 2;
    try {
        if (!ParseOptions(argc, argv, options, exitCode)) return exitCode;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "hoxdesk: %s\n%s", e.what(), Usage().c_str());
        return 2;
    }
    if (!options.calendarUrl.empty()) workers::SetCalendarBaseUrl(options.calendarUrl);
    if (!options.calendarFile.empty()) workers::SetCalendarFile(options.calendarFile);
    if (!options.saveDir.empty()) workers::SetSaveFolder(options.saveDir);
    const std::string missing = tk::TApplication::MissingDisplay(argc, argv);
    if (!missing.empty()) {
        std::fprintf(stderr, "hoxdesk: %s", missing.c_str());
        return 2;
    }
    tk::TRuntimeDir runtimeDir;
    tk::TApplication app(argc, argv);
    kiv::KivStartup(tk::ScreenCursors());
    jpeg::RegisterFileFormats();
    const bool embedded = options.hostEndpoint == "embedded";
    if (embedded) {
        try {
            hostsim::RegisterSimulatedHost(options.host);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "hoxdesk: %s\n", e.what());
            return 2;
        }
    } else {
        hostlink::ProxyOptions proxy;
        try {
            if (options.hostEndpoint.empty())
                proxy.SocketPath = hostlink::DefaultSocketPath();
            else if (options.hostEndpoint.rfind("unix:", 0) == 0)
                proxy.SocketPath = options.hostEndpoint.substr(5);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "hoxdesk: %s\n", e.what());
            return 2;
        }
        const bool remote =
            !options.hostEndpoint.empty() && options.hostEndpoint.rfind("unix:", 0) != 0;
        if (remote) {
            if (options.tlsCa.empty() || options.tokenFile.empty()) {
                std::fprintf(stderr, "hoxdesk: --host HOST:PORT needs --tls-ca and --token-file\n");
                return 2;
            }
            proxy.Address = options.hostEndpoint;
            proxy.TlsCaFile = options.tlsCa;
            proxy.TokenFile = options.tokenFile;
        }
        proxy.HostProgram = tk::TApplication::ExeDir() + "hoxhost";
        proxy.HostArguments = options.hostArguments;
        hostlink::RegisterHostProxy(proxy);
    }
    int result = 1;
    {
        TForm1 form;
        bool ready = true;
        if (!options.recordFile.empty()) {
            try {
                form.StartRecording(options.recordFile);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "hoxdesk: %s\n", e.what());
                ready = false;
                result = 2;
            }
        }
        if (ready && form.Create()) {
            form.CenterOnScreen();
            // The tools the user chose last time, and those the command line adds.
            TChartToolSet tools(form, TChartToolSet::DefaultSettingsFile());
            tools.TurnOn(options.chartTools);
            FirstPaintQuit quitter;
            if (options.quitAfterFirstPaint) form.installEventFilter(&quitter);
            form.show();
            result = app.Run();
        }
    }
    if (embedded)
        hostsim::RevokeSimulatedHost();
    else
        hostlink::RevokeHostProxy();
    jpeg::UnregisterFileFormats();
    kiv::KivShutdown(tk::ScreenCursors());
    return result;
}
