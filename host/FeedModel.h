// Market data for one symbol: a seeded random walk of the mid price in steps of the quoting
// unit, a varying spread, sizes and a day volume, and a handful of market makers whose
// Level 2 entries open, move and close on both sides of the book.
#pragma once

#include "OwnedRecords.h"
#include "Random.h"
#include "rtl/DateTime.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace hostsim {

class FeedModel {
public:
    static constexpr int MakerCount = 6;
    static constexpr std::array<std::u16string_view, MakerCount> MakerIds{
        u"MMA1", u"GSCO", u"MSCO", u"CITI", u"BARC", u"UBSW"};

    FeedModel(std::u16string_view symbol, uint64_t seed);

    OwnedQuote NextQuote(rtl::TDateTime now);
    OwnedLevel2 NextLevel2(rtl::TDateTime now);

private:
    struct MakerEntry {
        bool open = false;
        int64_t price = 0; // in quoting units
        int32_t size = 0;
    };

    void Walk();
    double Price(int64_t units) const { return double(units) / unitsPerOne_; }
    int64_t Bid() const { return mid_ - spread_ / 2; }
    int64_t Ask() const { return Bid() + spread_; }

    std::u16string symbol_, company_, underlier_;
    double unitsPerOne_;
    int64_t base_, mid_, spread_;
    int64_t open_ = 0, high_ = 0, low_ = 0;
    bool opened_ = false;
    int32_t volume_ = 0;
    double volumeDay_ = 0;
    uint32_t tick_ = 0;
    std::array<std::array<MakerEntry, 2>, MakerCount> makers_{}; // [maker][side], side 1 = bid
    Random random_;
};

} // namespace hostsim
