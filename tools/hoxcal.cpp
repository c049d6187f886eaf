// hoxcal: answers calendar.php?csv=1&date=YYYYMMDD&calendar[]=4 with that week's events.
//   hoxcal [--host 127.0.0.1] [--port 8765]
#include "tools/CalendarWeek.h"

#include <httplib.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {

rtl::TDateTime NowUtc() {
    const std::time_t t = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&t, &utc);
    return rtl::EncodeDate(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday) +
           rtl::EncodeTime(utc.tm_hour, utc.tm_min, std::min(utc.tm_sec, 59), 0);
}

int Usage(const char* error) {
    if (error) std::fprintf(stderr, "hoxcal: %s\n", error);
    std::fprintf(stderr, "usage: hoxcal [--host ADDRESS] [--port N]\n");
    return error ? 2 : 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string host = "127.0.0.1";
    int port = 8765;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") return Usage(nullptr);
        if (i + 1 >= argc) return Usage(("missing value after " + arg).c_str());
        const std::string value = argv[++i];
        if (arg == "--host") {
            host = value;
        } else if (arg == "--port") {
            char* end = nullptr;
            const long p = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end || p < 1 || p > 65535)
                return Usage(("bad port " + value).c_str());
            port = int(p);
        } else {
            return Usage(("unknown option " + arg).c_str());
        }
    }

    httplib::Server server;
    server.Get("/calendar.php", [](const httplib::Request& req, httplib::Response& res) {
        int year = 0, month = 0, day = 0;
        if (!tools::ParseCalendarDate(req.get_param_value("date"), year, month, day)) {
            res.status = 400;
            res.set_content("date must be YYYYMMDD\n", "text/plain");
            return;
        }
        res.set_content(tools::CalendarWeek(year, month, day, NowUtc()), "text/plain");
    });
    // The library's default lets a second server share the port and split the clients; a
    // second service on a taken port must fail instead.
    server.set_socket_options([](socket_t sock) {
        const int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    if (!server.bind_to_port(host, port)) {
        std::fprintf(stderr, "hoxcal: cannot listen on %s:%d\n", host.c_str(), port);
        return 1;
    }
    std::printf("hoxcal: serving the economic calendar at http://%s:%d/\n", host.c_str(), port);
    std::fflush(stdout);
    return server.listen_after_bind() ? 0 : 1;
}
