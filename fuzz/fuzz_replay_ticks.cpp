// Tick files of any content: a clear error or quotes in time order with sizes of zero or more.
#include "replay/Readers.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::ostringstream log;
    std::unique_ptr<replay::RecordReader> reader;
    try {
        reader = replay::OpenReader(
            replay::MemoryInput(std::string(reinterpret_cast<const char*>(data), size)), "fuzz", {},
            log);
    } catch (const replay::ReplayError&) {
        return 0;
    }
    int64_t last = INT64_MIN;
    for (replay::Record r; reader->Next(r);) {
        const auto& q = r.quote;
        if (r.arrivalUs < last || q.lBidSize < 0 || q.lAskSize < 0 || q.lVolume < 0 ||
            !std::isfinite(q.dBid) || !std::isfinite(q.dAsk))
            std::abort();
        last = r.arrivalUs;
    }
    return 0;
}
