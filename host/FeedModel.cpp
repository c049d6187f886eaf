#include "FeedModel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace hostsim {

namespace {

struct Instrument {
    std::u16string_view symbol;
    std::u16string_view company;
    int64_t price; // in quoting units
    int decimals;
};

// Prices as quoted around the time the feed pretends to run.
constexpr Instrument Instruments[] = {
    {u"EUR/USD", u"Euro / US Dollar", 108000, 5},
    {u"GBP/USD", u"British Pound / US Dollar", 127000, 5},
    {u"USD/JPY", u"US Dollar / Japanese Yen", 149500, 3},
    {u"USD/CHF", u"US Dollar / Swiss Franc", 88000, 5},
    {u"AUD/USD", u"Australian Dollar / US Dollar", 66000, 5},
};

uint64_t Fnv1a(std::u16string_view text) {
    uint64_t h = 1469598103934665603ull;
    for (char16_t c : text) {
        h ^= uint64_t(c);
        h *= 1099511628211ull;
    }
    return h;
}

constexpr std::u16string_view Source = u"ECN";
constexpr int32_t SizeLot = 100; // sizes count thousands of the base currency

} // namespace

FeedModel::FeedModel(std::u16string_view symbol, uint64_t seed)
    : symbol_(symbol), random_(seed ^ Fnv1a(symbol)) {
    const Instrument* known = nullptr;
    for (const auto& i : Instruments)
        if (i.symbol == symbol) known = &i;
    int decimals = 5;
    if (known) {
        company_ = known->company;
        base_ = known->price;
        decimals = known->decimals;
    } else {
        // Any other symbol gets a steady price between 0.5 and 2 so the walk looks alike.
        company_ = symbol;
        base_ = 50000 + int64_t(Fnv1a(symbol) % 150000);
    }
    unitsPerOne_ = std::pow(10.0, decimals);
    auto slash = symbol.find(u'/');
    underlier_ = symbol.substr(0, slash == std::u16string_view::npos ? symbol.size() : slash);
    mid_ = base_;
    spread_ = 10;
}

void FeedModel::Walk() {
    mid_ += std::llround(random_.Gaussian() * 2.0);
    // Pull back toward the base beyond two per cent either way, so prices stay plausible
    // however long the feed runs.
    int64_t band = base_ / 50;
    if (mid_ > base_ + band) mid_ -= 3;
    if (mid_ < base_ - band) mid_ += 3;
    spread_ = 6 + random_.Below(15);
}

OwnedQuote FeedModel::NextQuote(rtl::TDateTime now) {
    Walk();
    int64_t bid = Bid(), ask = Ask();
    if (!opened_) {
        open_ = high_ = ask;
        low_ = bid;
        opened_ = true;
    }
    high_ = std::max(high_, ask);
    low_ = std::min(low_, bid);
    bool tradeAtAsk = random_.Chance(0.5);
    int32_t lastSize = SizeLot * int32_t(1 + random_.Below(20));
    // The volume counts the UTC day's trades and never overflows its 32 bits.
    double day = std::floor(now);
    if (day != volumeDay_) {
        volumeDay_ = day;
        volume_ = 0;
    }
    volume_ =
        volume_ > std::numeric_limits<int32_t>::max() - lastSize ? lastSize : volume_ + lastSize;

    OwnedQuote q;
    q.Symbol = com::Bstr(symbol_);
    q.Market = com::Bstr(u"FX");
    q.Company = com::Bstr(company_);
    q.Underlier = com::Bstr(underlier_);
    auto& v = q.Values;
    v.dLast = Price(tradeAtAsk ? ask : bid);
    v.dBid = Price(bid);
    v.dAsk = Price(ask);
    v.dPrevClose = Price(base_);
    v.dHigh = Price(high_);
    v.dLow = Price(low_);
    v.dOpen = Price(open_);
    v.dMarginMult = 50;
    v.dStrikePrice = 0;
    v.lBidSize = SizeLot * int32_t(1 + random_.Below(50));
    v.lAskSize = SizeLot * int32_t(1 + random_.Below(50));
    v.lLastSize = lastSize;
    v.lVolume = volume_;
    v.lFlags = 0;
    v.lContractSize = 1000;
    v.lExpMonth = 0;
    v.lExpYear = 0;
    v.UTCDateTime = now;
    v.tick = ++tick_;
    v.putcall = 0;
    return q;
}

OwnedLevel2 FeedModel::NextLevel2(rtl::TDateTime now) {
    Walk();
    int maker = int(random_.Below(MakerCount));
    uint32_t side = random_.Below(2);
    MakerEntry& entry = makers_[maker][side];
    bool close = entry.open && random_.Chance(0.35);
    if (!close) {
        int64_t away = random_.Below(8);
        entry.price = side == 1 ? Bid() - away : Ask() + away;
        entry.size = SizeLot * int32_t(1 + random_.Below(40));
    }
    entry.open = !close;

    OwnedLevel2 e;
    e.Symbol = com::Bstr(symbol_);
    e.MMID = com::Bstr(MakerIds[maker]);
    e.Source = com::Bstr(Source);
    auto& v = e.Values;
    v.lSize = entry.size;
    v.dPrice = Price(entry.price);
    v.side = side;
    v.bClosed = close ? com::VARIANT_TRUE : com::VARIANT_FALSE;
    v.UTCTime = now;
    return e;
}

} // namespace hostsim
