// The generated market: reproducible, plausible, and a Level 2 book that stays consistent.
#include "FeedModel.h"
#include "HostTestSupport.h"

#include <cmath>
#include <limits>
#include <map>
#include <set>

using namespace hosttest;
using hostsim::FeedKind;
using hostsim::FeedModel;
using hostsim::HostControl;

namespace {

bool HasAtMostDecimals(double value, int decimals) {
    double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale == value;
}

} // namespace

TEST_F(HostTest, SameSeedGivesTheSameFeedAndAnotherSeedAnother) {
    auto run = [&](uint64_t seed) {
        HostControl::SetSeed(seed);
        manager.Reset();
        manager = CreateManager(); // the only manager alive
        RecordingNotify quoteSide, bookSide;
        auto a = Subscribed(quoteSide, u"EUR/USD", 2), b = Subscribed(bookSide, u"EUR/USD", 1);
        for (int i = 0; i < 20; ++i) {
            HostControl::DeliverNext(FeedKind::Quote, 1);
            HostControl::DeliverNext(FeedKind::Level2, 1);
        }
        a->Unsubscribe(&quoteSide);
        b->Unsubscribe(&bookSide);
        std::vector<double> values;
        for (auto& q : quoteSide.quotes)
            values.insert(values.end(), {q.values.dBid, q.values.dAsk, double(q.values.lBidSize),
                                         double(q.values.lAskSize), double(q.values.lVolume)});
        for (auto& e : bookSide.level2)
            values.insert(values.end(), {e.values.dPrice, double(e.values.lSize),
                                         double(e.values.side), double(e.values.bClosed)});
        return values;
    };
    auto first = run(11), again = run(11), other = run(12);
    EXPECT_EQ(first.size(), 20u * 5 + 20u * 4);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, other);
}

TEST(FeedModel, QuotesLookLikeAnEuroDollarMarket) {
    FeedModel model(u"EUR/USD", 3);
    double day = 46000;
    int32_t volume = 0;
    for (int i = 0; i < 2000; ++i) {
        hostsim::OwnedQuote q = model.NextQuote(day + i / 100000.0);
        const auto& v = q.Values;
        ASSERT_EQ(q.Symbol.view(), u"EUR/USD");
        ASSERT_EQ(q.Underlier.view(), u"EUR");
        ASSERT_GT(v.dBid, 1.05);
        ASSERT_LT(v.dAsk, 1.11);
        // The spread is positive and at most two pips; prices keep five decimals, so their
        // shortest text reads back as the same number.
        ASSERT_GT(v.dAsk - v.dBid, 0);
        ASSERT_LE(v.dAsk - v.dBid, 0.000205);
        ASSERT_TRUE(HasAtMostDecimals(v.dBid, 5)) << v.dBid;
        ASSERT_TRUE(HasAtMostDecimals(v.dAsk, 5)) << v.dAsk;
        ASSERT_TRUE(v.dLast == v.dBid || v.dLast == v.dAsk);
        ASSERT_LE(v.dLow, v.dBid);
        ASSERT_GE(v.dHigh, v.dAsk);
        ASSERT_GT(v.lBidSize, 0);
        ASSERT_GT(v.lAskSize, 0);
        ASSERT_EQ(v.lVolume, volume + v.lLastSize);
        volume = v.lVolume;
        ASSERT_EQ(v.tick, uint32_t(i + 1));
    }
    // The volume starts again on a new UTC day.
    ASSERT_GT(volume, 0);
    const auto next = model.NextQuote(day + 1.01);
    EXPECT_EQ(next.Values.lVolume, next.Values.lLastSize);
}

TEST(FeedModel, OtherSymbolsGetTheirOwnPlausiblePrices) {
    FeedModel yen(u"USD/JPY", 3), unknown(u"XYZ", 3);
    auto q = yen.NextQuote(46000);
    EXPECT_GT(q.Values.dBid, 140);
    EXPECT_LT(q.Values.dBid, 160);
    EXPECT_TRUE(HasAtMostDecimals(q.Values.dBid, 3));
    auto u = unknown.NextQuote(46000);
    EXPECT_GT(u.Values.dBid, 0.4);
    EXPECT_LT(u.Values.dBid, 2.1);
    EXPECT_EQ(u.Company.view(), u"XYZ");
    EXPECT_EQ(u.Underlier.view(), u"XYZ");
}

TEST(FeedModel, MakersOpenAndCloseOnBothSidesConsistently) {
    FeedModel model(u"EUR/USD", 5);
    std::set<std::u16string> makers(FeedModel::MakerIds.begin(), FeedModel::MakerIds.end());
    std::map<std::pair<std::u16string, uint32_t>, double> open; // (maker, side) -> price
    int opens[2] = {0, 0}, closes[2] = {0, 0};
    for (int i = 0; i < 600; ++i) {
        hostsim::OwnedLevel2 e = model.NextLevel2(46000);
        const auto& v = e.Values;
        std::u16string mmid(e.MMID.view());
        ASSERT_TRUE(makers.count(mmid)) << i;
        ASSERT_LE(v.side, 1u);
        ASSERT_GT(v.lSize, 0);
        ASSERT_TRUE(HasAtMostDecimals(v.dPrice, 5));
        auto key = std::make_pair(mmid, v.side);
        if (v.bClosed) {
            // A close names a maker that is open on that side, at its last price.
            ASSERT_TRUE(open.count(key)) << i;
            ASSERT_EQ(open[key], v.dPrice);
            open.erase(key);
            ++closes[v.side];
        } else {
            open[key] = v.dPrice;
            ++opens[v.side];
        }
    }
    for (int side = 0; side < 2; ++side) {
        EXPECT_GT(opens[side], 50) << side;
        EXPECT_GT(closes[side], 20) << side;
    }
}
