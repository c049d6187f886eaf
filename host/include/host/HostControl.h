// Process-wide controls of the simulated host, for tests and demonstrations: the feed's seed,
// rate and clock, records injected through the normal delivery path, synchronous delivery,
// failures of named calls, the logged-on answer, and the log of the calls the client made.
// Controls that act on the host act on every manager alive in the process.
#pragma once

#include "HOXQUOTELib_TLB.h"
#include "com/Types.h"
#include "rtl/DateTime.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hostsim {

// The kinds a quote object subscribes: Level 2 records or quote records.
enum class FeedKind : int32_t { Level2 = 1, Quote = 2 };

class HostControl {
public:
    // The seed of the managers created from now on (each symbol's feed mixes in its name).
    static void SetSeed(uint64_t seed);
    // Records of each kind per second for each subscribed symbol; 0 stops the automatic feed.
    // Takes effect at once on running feeds.
    static void SetRate(double recordsPerSecond);
    // Milliseconds between the periodic health events; 0 stops them.
    static void SetHealthInterval(int milliseconds);
    // The time stamped on generated records; an empty function means the current UTC time.
    static void SetClock(std::function<rtl::TDateTime()> clock);

    // What GetLoggedOn answers: forced true or false, or (nullopt) whether a Logon succeeded.
    static void SetLoggedOnAnswer(std::optional<bool> answer);

    // Makes the named call ("Subscribe", "GetQuotes", "Advise", "CoCreateInstance", ...) fail
    // with hr: every call from now on, or only the k-th call (1-based) counted from now.
    static void FailCall(std::string_view name, int32_t hr, int onlyCall = 0);
    static void ClearFailures();

    // The calls the client made, in order, with their arguments: "SetManagerFlag(0)",
    // "Subscribe(EUR/USD,2)", "Logon(1234,user,pass,0)", "Unsubscribe", "Advise", ...
    static std::vector<std::string> CallLog();
    static void ClearCallLog();

    // Posts one record to the subscribers of its kind whose symbol matches the record's (a
    // null symbol reaches every subscriber of the kind), as the feed posts its own.
    static void InjectQuote(const hox::QuoteRecord& record);
    static void InjectLevel2(const hox::Level2Record& record);
    // Posts the next generated record of the kind for every subscribed symbol.
    static void InjectNext(FeedKind kind);
    // Generates the next count records of the kind and delivers them at once on the calling
    // thread, which must be the client's window thread. Returns the calls made to the client.
    static int DeliverNext(FeedKind kind, int count);
    // Posts a health event (event 1) to every advised sink.
    static void FireHealth(int32_t selector, int32_t state);
    // Posts an event without arguments (3 connected, 4 disconnected, 5 shut down) to every
    // advised sink.
    static void FireEvent(com::DISPID id);
};

} // namespace hostsim
