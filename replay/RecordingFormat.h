// The recording's header: a line naming the format and its version, then one line naming the
// columns of each record kind. Quote lines start with Q, Level 2 lines with L.
#pragma once

#include <string_view>

namespace replay {

constexpr std::string_view RecordingTitle = "# hoxdesk recording,1";
constexpr std::string_view QuoteColumns =
    "# Q,arrival_us,bstrSymbol,bstrMarket,bstrCompany,bstrUnderlier,dLast,dBid,dAsk,dPrevClose,"
    "dHigh,dLow,dOpen,dMarginMult,dStrikePrice,lBidSize,lAskSize,lLastSize,lVolume,lFlags,"
    "lContractSize,lExpMonth,lExpYear,UTCDateTime,tick,putcall";
constexpr std::string_view Level2Columns =
    "# L,arrival_us,bstrSymbol,bstrMMID,bstrSource,lSize,dPrice,side,bClosed,UTCTime";
constexpr size_t QuoteFieldCount = 26;
constexpr size_t Level2FieldCount = 10;

} // namespace replay
