// Records as the host keeps them between generation and delivery: the numbers as the record
// carries them, the texts in owned strings. A fresh record with fresh BSTRs is made for each
// call into the client and freed when the call returns.
#pragma once

#include "HOXQUOTELib_TLB.h"
#include "com/Bstr.h"

namespace hostsim {

struct OwnedQuote {
    hox::QuoteRecord Values{}; // BSTR fields unused here; the Bstr members below hold the texts
    com::Bstr Symbol, Market, Company, Underlier;

    static OwnedQuote CopyOf(const hox::QuoteRecord& record);
};

struct OwnedLevel2 {
    hox::Level2Record Values{};
    com::Bstr Symbol, MMID, Source;

    static OwnedLevel2 CopyOf(const hox::Level2Record& record);
};

// The record handed to the client for one call; owns its BSTRs.
class QuoteCall {
public:
    explicit QuoteCall(const OwnedQuote& quote);
    hox::QuoteRecord* Record() { return &record_; }

private:
    com::Bstr symbol_, market_, company_, underlier_;
    hox::QuoteRecord record_;
};

class Level2Call {
public:
    explicit Level2Call(const OwnedLevel2& entry);
    hox::Level2Record* Record() { return &record_; }

private:
    com::Bstr symbol_, mmid_, source_;
    hox::Level2Record record_;
};

} // namespace hostsim
