// One recorded market data record: a quote or a Level 2 entry as the host handed it to the desk,
// and when it reached the desk.
#pragma once

#include "HOXQUOTELib_TLB.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace replay {

enum class RecordKind { Quote, Level2 };

struct Record {
    RecordKind kind = RecordKind::Quote;
    // Microseconds since 1 January 1970 UTC at which the record reached the desk; a replay keeps
    // the gaps between these.
    int64_t arrivalUs = 0;
    // The numbers of the record of its kind; their string pointers stay null, the texts are in
    // text[] (quote: symbol, market, company, underlier; Level 2: symbol, MMID, source).
    hox::QuoteRecord quote{};
    hox::Level2Record level2{};
    std::u16string text[4];
};

// An input that cannot be replayed at all: missing, empty, of another layout, damaged.
class ReplayError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Days since 30 December 1899 (the host's date-time) of a time in microseconds since 1970.
constexpr double UnixDays = 25569.0;
inline double DateTimeOfUnixUs(int64_t us) {
    return UnixDays + double(us) / 86400e6;
}

} // namespace replay
