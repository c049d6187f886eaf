// What both ends of the link share: the protocol version, the limits, and the conversion of the
// host's records and texts to and from their messages.
#pragma once

#include "HOXQUOTELib_TLB.h"
#include "com/Bstr.h"
#include "hostlink.pb.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace hostlink {

// Raised whenever a message changes meaning; both ends send theirs and refuse the other's.
constexpr uint32_t ProtocolVersion = 1;
// The largest message either end accepts.
constexpr int MaxMessageBytes = 1 << 20;
// The longest text (in UTF-16 code units) a record, symbol, name or password may carry.
constexpr size_t MaxTextUnits = 1024;
// The most records in one message of a subscription's stream.
constexpr int MaxBatchRecords = 256;

std::string ToWire(std::u16string_view text);
// False when the bytes are no UTF-16 text (an odd count) or longer than MaxTextUnits.
bool FromWire(const std::string& bytes, std::u16string& text);

void ToWire(const hox::QuoteRecord& record, hoxlink::Quote& out);
void ToWire(const hox::Level2Record& record, hoxlink::Level2& out);

// A record made from a message, owning its texts, for one call into the client.
class WireQuote {
public:
    WireQuote() = default;
    WireQuote(const WireQuote&) = delete; // the record points into its own texts
    WireQuote& operator=(const WireQuote&) = delete;
    // False, the record untouched, when a text is malformed.
    bool Read(const hoxlink::Quote& message);
    hox::QuoteRecord* Record() { return &record_; }

private:
    com::Bstr symbol_, market_, company_, underlier_;
    hox::QuoteRecord record_{};
};

class WireLevel2 {
public:
    WireLevel2() = default;
    WireLevel2(const WireLevel2&) = delete;
    WireLevel2& operator=(const WireLevel2&) = delete;
    bool Read(const hoxlink::Level2& message);
    hox::Level2Record* Record() { return &record_; }

private:
    com::Bstr symbol_, mmid_, source_;
    hox::Level2Record record_{};
};

} // namespace hostlink
