// Recordings of any content: a clear error or records, never a crash; every line is either a
// record or a counted skip, so the count never passes the lines given.
#include "replay/Readers.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes = "# hoxdesk recording,1\n"
                        "# Q,arrival_us,bstrSymbol,bstrMarket,bstrCompany,bstrUnderlier,dLast,dBid,"
                        "dAsk,dPrevClose,dHigh,dLow,dOpen,dMarginMult,dStrikePrice,lBidSize,"
                        "lAskSize,lLastSize,lVolume,lFlags,lContractSize,lExpMonth,lExpYear,"
                        "UTCDateTime,tick,putcall\n"
                        "# L,arrival_us,bstrSymbol,bstrMMID,bstrSource,lSize,dPrice,side,bClosed,"
                        "UTCTime\n";
    bytes.append(reinterpret_cast<const char*>(data), size);
    const size_t lines = size_t(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    std::ostringstream log;
    auto reader = replay::OpenReader(replay::MemoryInput(bytes), "fuzz", {}, log);
    size_t records = 0;
    int64_t last = INT64_MIN;
    for (replay::Record r; reader->Next(r); ++records) {
        if (r.arrivalUs < last || (r.kind == replay::RecordKind::Quote && r.quote.lBidSize < 0))
            std::abort();
        last = r.arrivalUs;
    }
    if (records + size_t(reader->Skipped()) > lines) std::abort();
    return 0;
}
