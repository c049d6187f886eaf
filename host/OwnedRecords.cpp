#include "OwnedRecords.h"

namespace hostsim {

namespace {

// Keeps a null BSTR null, so a client sees exactly what was injected.
com::Bstr Own(const char16_t* text) {
    return text ? com::Bstr(com::BstrView(text)) : com::Bstr();
}

} // namespace

OwnedQuote OwnedQuote::CopyOf(const hox::QuoteRecord& record) {
    OwnedQuote q;
    q.Values = record;
    q.Values.bstrSymbol = q.Values.bstrMarket = q.Values.bstrCompany = q.Values.bstrUnderlier =
        nullptr;
    q.Symbol = Own(record.bstrSymbol);
    q.Market = Own(record.bstrMarket);
    q.Company = Own(record.bstrCompany);
    q.Underlier = Own(record.bstrUnderlier);
    return q;
}

OwnedLevel2 OwnedLevel2::CopyOf(const hox::Level2Record& record) {
    OwnedLevel2 e;
    e.Values = record;
    e.Values.bstrSymbol = e.Values.bstrMMID = e.Values.bstrSource = nullptr;
    e.Symbol = Own(record.bstrSymbol);
    e.MMID = Own(record.bstrMMID);
    e.Source = Own(record.bstrSource);
    return e;
}

QuoteCall::QuoteCall(const OwnedQuote& quote)
    : symbol_(quote.Symbol), market_(quote.Market), company_(quote.Company),
      underlier_(quote.Underlier), record_(quote.Values) {
    record_.bstrSymbol = symbol_.get();
    record_.bstrMarket = market_.get();
    record_.bstrCompany = company_.get();
    record_.bstrUnderlier = underlier_.get();
}

Level2Call::Level2Call(const OwnedLevel2& entry)
    : symbol_(entry.Symbol), mmid_(entry.MMID), source_(entry.Source), record_(entry.Values) {
    record_.bstrSymbol = symbol_.get();
    record_.bstrMMID = mmid_.get();
    record_.bstrSource = source_.get();
}

} // namespace hostsim
