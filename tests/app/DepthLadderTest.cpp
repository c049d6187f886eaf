#include "app/DepthLadder.h"
#include "AppTestEnv.h"
#include "app/DepthLadderView.h"
#include "app/DepthLadderWindow.h"
#include "raster/RecordingDevice.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Levels = std::vector<std::tuple<double, int64_t, int32_t>>;

Levels LevelsOf(const TDepthLadder& ladder, TDepthLadder::TSide side, int count = INT_MAX) {
    Levels out;
    ladder.VisitLevels(side, count, [&](double price, const TDepthLadder::TLevel& level) {
        out.emplace_back(price, level.Size, level.Makers);
    });
    return out;
}

// The book the ladder must agree with, kept the plain way: every maker's live entry per side,
// aggregated from scratch on each look.
struct ModelBook {
    std::map<std::string, std::pair<double, int32_t>> entries[2]; // [0] bids, [1] asks

    void Apply(const std::string& mmid, double price, int32_t size, uint32_t side, bool closed) {
        auto& book = entries[side == 1 ? 0 : 1];
        if (closed)
            book.erase(mmid);
        else if (std::isfinite(price))
            book[mmid] = {price, size};
    }
    Levels LevelsOf(TDepthLadder::TSide side) const {
        std::map<double, std::pair<int64_t, int32_t>> byPrice;
        for (const auto& [mmid, entry] : entries[side == TDepthLadder::Bid ? 0 : 1]) {
            auto& level = byPrice[entry.first];
            level.first += entry.second;
            ++level.second;
        }
        Levels out;
        for (const auto& [price, level] : byPrice)
            out.emplace_back(price, level.first, level.second);
        if (side == TDepthLadder::Bid) std::reverse(out.begin(), out.end());
        return out;
    }
};

} // namespace

TEST(DepthLadder, AgreesWithAModelBookUnderRandomOpensAndCloses) {
    std::mt19937 random(20);
    TDepthLadder ladder;
    ModelBook model;
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    for (int step = 0; step < 20000; ++step) {
        SCOPED_TRACE(step);
        const std::string mmid = "MM" + std::to_string(random() % 12);
        // Sides 0 and 2 are both asks, as in the books.
        const uint32_t side = random() % 3;
        const bool closed = random() % 3 == 0;
        // Few prices, so levels are shared; now and then one that is not a number.
        const double price = random() % 50 == 0 ? NaN : 1.0 + 0.0001 * double(random() % 16);
        const int32_t size = int32_t(random() % 100) * 1000;
        ladder.Apply(mmid, price, size, side, closed);
        model.Apply(mmid, price, size, side, closed);
        if (step % 7 != 0 && step < 19990) continue;
        for (auto side : {TDepthLadder::Bid, TDepthLadder::Ask}) {
            const Levels expected = model.LevelsOf(side);
            ASSERT_EQ(LevelsOf(ladder, side), expected);
            ASSERT_EQ(ladder.LevelCount(side), int(expected.size()));
            const Levels top = LevelsOf(ladder, side, 3);
            ASSERT_EQ(top, Levels(expected.begin(),
                                  expected.begin() + std::min<size_t>(3, expected.size())));
        }
        const Levels bids = model.LevelsOf(TDepthLadder::Bid),
                     asks = model.LevelsOf(TDepthLadder::Ask);
        ASSERT_EQ(ladder.BestBid().has_value(), !bids.empty());
        ASSERT_EQ(ladder.BestAsk().has_value(), !asks.empty());
        if (!bids.empty()) {
            ASSERT_EQ(*ladder.BestBid(), std::get<0>(bids.front()));
        }
        if (!asks.empty()) {
            ASSERT_EQ(*ladder.BestAsk(), std::get<0>(asks.front()));
        }
        if (!bids.empty() && !asks.empty())
            ASSERT_EQ(*ladder.Spread(), std::get<0>(asks.front()) - std::get<0>(bids.front()));
        else
            ASSERT_FALSE(ladder.Spread());
    }
}

TEST(DepthLadder, ReplacesClosesAndIgnoresWhatChangesNothing) {
    TDepthLadder ladder;
    EXPECT_TRUE(ladder.Apply("A", 1.5, 100, 1, false));
    EXPECT_TRUE(ladder.Apply("B", 1.5, 200, 1, false));
    EXPECT_EQ(LevelsOf(ladder, TDepthLadder::Bid), (Levels{{1.5, 300, 2}}));
    // A maker's new entry on a side replaces its last one there.
    EXPECT_TRUE(ladder.Apply("A", 1.4, 50, 1, false));
    EXPECT_EQ(LevelsOf(ladder, TDepthLadder::Bid), (Levels{{1.5, 200, 1}, {1.4, 50, 1}}));
    // A close on the other side, of an unknown maker, or a price that is not a number: nothing.
    EXPECT_FALSE(ladder.Apply("A", 1.4, 50, 0, true));
    EXPECT_FALSE(ladder.Apply("C", 1.4, 50, 1, true));
    EXPECT_FALSE(ladder.Apply("C", std::nan(""), 50, 1, false));
    EXPECT_EQ(LevelsOf(ladder, TDepthLadder::Bid), (Levels{{1.5, 200, 1}, {1.4, 50, 1}}));
    EXPECT_TRUE(ladder.Apply("B", 0, 0, 1, true));
    EXPECT_EQ(*ladder.BestBid(), 1.4);
    ladder.Clear();
    EXPECT_EQ(ladder.LevelCount(TDepthLadder::Bid), 0);
    EXPECT_FALSE(ladder.BestBid());
}

TEST(DepthLadder, TheViewShowsTheSpreadAndTheBestLevelsThatFit) {
    TDepthLadder ladder;
    ladder.Apply("A", 1.5, 100, 1, false);
    ladder.Apply("B", 1.5, 200, 1, false);
    ladder.Apply("C", 1.4, 50, 1, false);
    ladder.Apply("D", 1.6, 10, 2, false);
    TDepthLadderView view(ladder);
    raster::RecordingDevice probe(10, 10);
    const int row = TDepthLadderView::RowHeight(probe);
    // Room for the spread, the titles and one level: the best of each side.
    raster::RecordingDevice dev(600, 3 * row);
    view.Paint(dev, {0, 0, 600, 3 * row});
    std::vector<std::string> texts;
    for (const raster::Call& c : dev.CallsOf("TextOut")) texts.push_back(c.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Spread 0.1", "Makers", "Size", "Bid", "Ask", "Size",
                                               "Makers", "2", "300", "1.5", "1", "10", "1.6"}));
    const raster::Call best = dev.CallsOf("TextOut")[7];
    EXPECT_EQ(best.args, (std::vector<int>{50, 2 * row + 2}));
}

namespace {

struct Record {
    com::Bstr symbol{u"EUR/USD"}, mmid;
    hox::Level2Record r{};
    Record(const char16_t* maker, uint32_t side, double price, int32_t size) : mmid(maker) {
        r.bstrSymbol = symbol.get();
        r.bstrMMID = mmid.get();
        r.side = side;
        r.dPrice = price;
        r.lSize = size;
    }
};

} // namespace

TEST_F(WindowTest, TheDepthLadderOpensWithF3ClosesWithEscapeAndPaintsOncePerFrame) {
    auto form = CreatedForm();
    TDepthLadderWindow& ladder = *form->DepthLadder;
    form->show();
    QApplication::setActiveWindow(form.get());
    form->Edit34->setFocus();
    EXPECT_FALSE(ladder.isVisible());
    QTest::keyClick(form->Edit34, Qt::Key_F3);
    EXPECT_TRUE(ladder.isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ladder));

    // A burst of records between two frames gives one paint; the ladder keeps each of them.
    QTest::qWait(50);
    const int paints = ladder.Paints();
    for (int i = 0; i < 1000; ++i) {
        Record r(i % 2 ? u"A" : u"B", 1, 1.0 + i * 0.0001, 100);
        form->OnLevel2Data(&r.r);
    }
    EXPECT_EQ(*ladder.Ladder().BestBid(), 1.0 + 999 * 0.0001);
    EXPECT_EQ(ladder.Ladder().LevelCount(TDepthLadder::Bid), 2);
    EXPECT_EQ(form->StringGrid2->Cells(0, 1000), "A"); // the book has its own rows
    QTest::qWait(100);
    EXPECT_GE(ladder.Paints(), paints + 1);
    EXPECT_LE(ladder.Paints(), paints + 2);
    // Another symbol starts a new ladder.
    Record other(u"A", 1, 2.0, 5);
    other.symbol = com::Bstr(u"USD/JPY");
    other.r.bstrSymbol = other.symbol.get();
    form->OnLevel2Data(&other.r);
    EXPECT_EQ(ladder.Ladder().LevelCount(TDepthLadder::Bid), 1);

    QTest::keyClick(&ladder, Qt::Key_Escape);
    EXPECT_FALSE(ladder.isVisible());
}

// Stop empties the ladder with the "Level II" grids, and after Start it holds only what the new
// session sends.
TEST_F(WindowTest, StopClearsTheDepthLadderAndStartFillsItAgain) {
    auto form = CreatedForm();
    TDepthLadderWindow& ladder = *form->DepthLadder;
    form->Edit34->SetText("trader");
    form->Edit35->SetText("secret");
    form->Edit36->SetText("1");
    form->Button1Click();
    hostsim::HostControl::DeliverNext(hostsim::FeedKind::Level2, 20);
    Record old(u"OLD", 1, 9.0, 100);
    form->OnLevel2Data(&old.r);
    ASSERT_EQ(*ladder.Ladder().BestBid(), 9.0);
    ladder.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ladder));
    QTest::qWait(50);
    const int paints = ladder.Paints();

    form->Button2Click();
    EXPECT_EQ(ladder.Ladder().LevelCount(TDepthLadder::Bid), 0);
    EXPECT_EQ(ladder.Ladder().LevelCount(TDepthLadder::Ask), 0);
    EXPECT_EQ(ladder.windowTitle(), "Depth Ladder");
    QTest::qWait(100);
    EXPECT_GT(ladder.Paints(), paints); // the empty ladder is shown

    form->Button1Click();
    hostsim::HostControl::DeliverNext(hostsim::FeedKind::Level2, 20);
    ASSERT_GT(ladder.Ladder().LevelCount(TDepthLadder::Bid) +
                  ladder.Ladder().LevelCount(TDepthLadder::Ask),
              0);
    EXPECT_LT(ladder.Ladder().BestBid().value_or(0), 9.0); // the old session's maker is gone
    EXPECT_EQ(ladder.windowTitle(), "Depth Ladder - EUR/USD");
}
