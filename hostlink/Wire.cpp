#include "Wire.h"

namespace hostlink {

std::string ToWire(std::u16string_view text) {
    std::string bytes(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = char(text[i] & 0xFF);
        bytes[2 * i + 1] = char(text[i] >> 8);
    }
    return bytes;
}

bool FromWire(const std::string& bytes, std::u16string& text) {
    if (bytes.size() % 2 != 0 || bytes.size() / 2 > MaxTextUnits) return false;
    text.resize(bytes.size() / 2);
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = char16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8);
    return true;
}

void ToWire(const hox::QuoteRecord& r, hoxlink::Quote& out) {
    out.set_symbol(ToWire(com::BstrView(r.bstrSymbol)));
    out.set_market(ToWire(com::BstrView(r.bstrMarket)));
    out.set_company(ToWire(com::BstrView(r.bstrCompany)));
    out.set_underlier(ToWire(com::BstrView(r.bstrUnderlier)));
    out.set_last(r.dLast);
    out.set_bid(r.dBid);
    out.set_ask(r.dAsk);
    out.set_prev_close(r.dPrevClose);
    out.set_high(r.dHigh);
    out.set_low(r.dLow);
    out.set_open(r.dOpen);
    out.set_margin_mult(r.dMarginMult);
    out.set_strike_price(r.dStrikePrice);
    out.set_bid_size(r.lBidSize);
    out.set_ask_size(r.lAskSize);
    out.set_last_size(r.lLastSize);
    out.set_volume(r.lVolume);
    out.set_flags(r.lFlags);
    out.set_contract_size(r.lContractSize);
    out.set_exp_month(r.lExpMonth);
    out.set_exp_year(r.lExpYear);
    out.set_utc_date_time(r.UTCDateTime);
    out.set_tick(r.tick);
    out.set_putcall(r.putcall);
}

void ToWire(const hox::Level2Record& r, hoxlink::Level2& out) {
    out.set_symbol(ToWire(com::BstrView(r.bstrSymbol)));
    out.set_mmid(ToWire(com::BstrView(r.bstrMMID)));
    out.set_source(ToWire(com::BstrView(r.bstrSource)));
    out.set_size(r.lSize);
    out.set_price(r.dPrice);
    out.set_side(r.side);
    out.set_closed(r.bClosed);
    out.set_utc_time(r.UTCTime);
}

bool WireQuote::Read(const hoxlink::Quote& m) {
    std::u16string symbol, market, company, underlier;
    if (!FromWire(m.symbol(), symbol) || !FromWire(m.market(), market) ||
        !FromWire(m.company(), company) || !FromWire(m.underlier(), underlier))
        return false;
    symbol_ = com::Bstr(symbol);
    market_ = com::Bstr(market);
    company_ = com::Bstr(company);
    underlier_ = com::Bstr(underlier);
    record_.bstrSymbol = symbol_.get();
    record_.bstrMarket = market_.get();
    record_.bstrCompany = company_.get();
    record_.bstrUnderlier = underlier_.get();
    record_.dLast = m.last();
    record_.dBid = m.bid();
    record_.dAsk = m.ask();
    record_.dPrevClose = m.prev_close();
    record_.dHigh = m.high();
    record_.dLow = m.low();
    record_.dOpen = m.open();
    record_.dMarginMult = m.margin_mult();
    record_.dStrikePrice = m.strike_price();
    record_.lBidSize = m.bid_size();
    record_.lAskSize = m.ask_size();
    record_.lLastSize = m.last_size();
    record_.lVolume = m.volume();
    record_.lFlags = m.flags();
    record_.lContractSize = m.contract_size();
    record_.lExpMonth = m.exp_month();
    record_.lExpYear = m.exp_year();
    record_.UTCDateTime = m.utc_date_time();
    record_.tick = m.tick();
    record_.putcall = m.putcall();
    return true;
}

bool WireLevel2::Read(const hoxlink::Level2& m) {
    std::u16string symbol, mmid, source;
    if (!FromWire(m.symbol(), symbol) || !FromWire(m.mmid(), mmid) || !FromWire(m.source(), source))
        return false;
    symbol_ = com::Bstr(symbol);
    mmid_ = com::Bstr(mmid);
    source_ = com::Bstr(source);
    record_.bstrSymbol = symbol_.get();
    record_.bstrMMID = mmid_.get();
    record_.bstrSource = source_.get();
    record_.lSize = m.size();
    record_.dPrice = m.price();
    record_.side = m.side();
    // Any non-zero value means closed; one beyond 16 bits must not wrap to open.
    record_.bClosed = m.closed() == com::VARIANT_BOOL(m.closed()) ? com::VARIANT_BOOL(m.closed())
                                                                  : com::VARIANT_TRUE;
    record_.UTCTime = m.utc_time();
    return true;
}

} // namespace hostlink
