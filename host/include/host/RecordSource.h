// Where a host program's market data comes from. A source pushes the records of the symbols it
// is asked to watch, from a thread of its own, in its own pace; the program fans each record out
// to the desks subscribed to it. The simulated market is one source; a replay or a broker's feed
// would be another.
#pragma once

#include "HOXQUOTELib_TLB.h"
#include "host/HostControl.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace hostsim {

class RecordSink {
public:
    // Called on the source's thread, one record at a time; the record lives for the call.
    virtual void OnQuote(const hox::QuoteRecord& record) = 0;
    virtual void OnLevel2(const hox::Level2Record& record) = 0;
    // True while the records handed on wait for slow readers: a source that can wait (a
    // replay as fast as possible) holds back until it is false again.
    virtual bool Behind() const { return false; }

protected:
    ~RecordSink() = default;
};

// Where a replay stands: the arrival time of its current record, how much of its files it has
// read, and whether it is paused or at its end.
struct ReplayStatus {
    int64_t positionUs = 0; // microseconds since 1970 UTC; 0 before the first record
    double percent = 0;
    bool paused = false;
    bool ended = false;
};

class RecordSource {
public:
    virtual ~RecordSource() = default;
    // Starts pushing into sink, which outlives Stop.
    virtual void Start(RecordSink& sink) = 0;
    // Returns once no call into the sink runs or follows.
    virtual void Stop() = 0;
    // Asks for (watched) or no longer for the records of the kind for the symbol.
    virtual void Watch(std::u16string_view symbol, FeedKind kind, bool watched) = 0;

    // A replay's position (false for a source that is no replay) and its controls, which
    // other sources ignore. JumpTo goes on from the first record at or after the time.
    virtual bool Status(ReplayStatus&) { return false; }
    virtual void SetPaused(bool) {}
    virtual void JumpTo(int64_t) {}
};

// The simulated market: for each watched symbol and kind, ratePerSecond records a second from
// the symbol's seeded feed model, stamped with the current UTC time.
std::unique_ptr<RecordSource> MakeSimulatedSource(uint64_t seed, double ratePerSecond);

} // namespace hostsim
