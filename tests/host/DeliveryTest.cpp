// Subscriptions, delivery on the client's thread, and what happens when the client goes away.
#include "HostTestSupport.h"

#include <algorithm>
#include <chrono>
#include <thread>

using namespace hosttest;
using hostsim::FeedKind;
using hostsim::HostControl;

TEST_F(HostTest, SubscriptionDeliversQuotesUntilUnsubscribed) {
    RecordingNotify notify;
    auto quotes = Subscribed(notify, u"EUR/USD", 2);
    EXPECT_EQ(HostControl::DeliverNext(FeedKind::Quote, 3), 3);
    ASSERT_EQ(notify.quotes.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const auto& q = notify.quotes[i];
        EXPECT_EQ(q.symbol, u"EUR/USD");
        EXPECT_EQ(q.values.tick, i + 1);
        EXPECT_DOUBLE_EQ(q.values.UTCDateTime, Clock);
        EXPECT_GT(q.values.dBid, 1.0); // the model's values, not an empty record
    }
    EXPECT_EQ(HostControl::DeliverNext(FeedKind::Level2, 2), 0); // no Level 2 subscriber

    ASSERT_EQ(quotes->Unsubscribe(&notify), com::S_OK);
    EXPECT_EQ(HostControl::DeliverNext(FeedKind::Quote, 3), 0);
    EXPECT_EQ(notify.quotes.size(), 3u);
    EXPECT_EQ(notify.refs, 0); // the host gave back the reference it took
}

TEST_F(HostTest, EachKindReachesOnlyItsSubscribersOnceEach) {
    RecordingNotify quoteSide, bookSide;
    auto a = Subscribed(quoteSide, u"EUR/USD", 2), b = Subscribed(bookSide, u"EUR/USD", 1);
    Subscribe(a.Get(), &quoteSide, u"EUR/USD", 2); // twice: still one stream
    HostControl::DeliverNext(FeedKind::Quote, 2);
    HostControl::DeliverNext(FeedKind::Level2, 4);
    EXPECT_EQ(quoteSide.quotes.size(), 2u);
    EXPECT_TRUE(quoteSide.level2.empty());
    EXPECT_EQ(bookSide.level2.size(), 4u);
    EXPECT_TRUE(bookSide.quotes.empty());

    com::Bstr symbol(u"EUR/USD");
    EXPECT_EQ(a->Subscribe(&quoteSide, symbol.get(), 3), com::E_INVALIDARG);
    EXPECT_EQ(a->Subscribe(nullptr, symbol.get(), 2), com::E_POINTER);

    // Unsubscribe ends only the same quote object's subscriptions; both objects saw the same
    // quote of the one feed per symbol.
    auto c = Subscribed(quoteSide, u"EUR/USD", 2);
    EXPECT_EQ(HostControl::DeliverNext(FeedKind::Quote, 1), 2);
    a->Unsubscribe(&quoteSide);
    EXPECT_EQ(HostControl::DeliverNext(FeedKind::Quote, 1), 1);
    ASSERT_EQ(quoteSide.quotes.size(), 5u);
    EXPECT_EQ(quoteSide.quotes[2].values.tick, quoteSide.quotes[3].values.tick);
}

TEST_F(HostTest, PostedRecordsRunOnTheClientThread) {
    RecordingNotify notify;
    auto quotes = Subscribed(notify, u"EUR/USD", 2);
    HostControl::InjectNext(FeedKind::Quote);
    EXPECT_TRUE(notify.quotes.empty()); // waits for the window thread
    EXPECT_EQ(apartment.RunPosted(), 1);
    EXPECT_EQ(notify.quotes.size(), 1u);
    // A thread outside any apartment could not be called back, so it gets no manager.
    std::thread([] {
        com::ComPtr<hox::IHoxComMgr> m;
        EXPECT_EQ(com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                                        hox::IID_IHoxComMgr, m.PutVoid()),
                  com::CO_E_NOTINITIALIZED);
        EXPECT_FALSE(m);
    }).join();
}

// Records already posted never arrive once the subscription ended, however it ended; the host
// gives back the client's reference.
TEST_F(HostTest, PostedRecordsAreDroppedWhenTheSubscriptionEnds) {
    enum { Unsubscribe, ReleaseQuotes, ReleaseManager };
    for (int end : {Unsubscribe, ReleaseQuotes, ReleaseManager}) {
        SCOPED_TRACE(end);
        if (!manager) manager = CreateManager();
        RecordingNotify notify;
        const bool book = end == ReleaseQuotes;
        auto quotes = Subscribed(notify, u"EUR/USD", book ? 1 : 2);
        HostControl::InjectNext(book ? FeedKind::Level2 : FeedKind::Quote);
        HostControl::InjectNext(book ? FeedKind::Level2 : FeedKind::Quote);
        if (end == Unsubscribe) quotes->Unsubscribe(&notify);
        if (end == ReleaseQuotes) quotes.Reset();
        if (end == ReleaseManager) manager.Reset();
        apartment.RunPosted();
        EXPECT_TRUE(notify.quotes.empty());
        EXPECT_TRUE(notify.level2.empty());
        EXPECT_EQ(notify.refs, 0);
        if (!manager) {
            // A quote object that outlived its manager refuses new subscriptions.
            com::Bstr symbol(u"EUR/USD");
            EXPECT_EQ(quotes->Subscribe(&notify, symbol.get(), 2), com::E_UNEXPECTED);
            EXPECT_EQ(quotes->Unsubscribe(&notify), com::S_OK);
        }
    }
}

TEST_F(HostEventsTest, RunningFeedPostsAtItsRateAndStopsCleanlyOnRelease) {
    RecordingNotify quoteSide, bookSide;
    RecordingSink sink;
    auto a = Subscribed(quoteSide, u"EUR/USD", 2), b = Subscribed(bookSide, u"EUR/USD", 1);
    com::DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), com::S_OK);

    HostControl::SetHealthInterval(20);
    HostControl::SetRate(400);
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while ((quoteSide.quotes.size() < 10 || bookSide.level2.size() < 10 || sink.events.empty()) &&
           std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        apartment.RunPosted();
    }
    EXPECT_GE(quoteSide.quotes.size(), 10u);
    EXPECT_GE(bookSide.level2.size(), 10u);
    ASSERT_FALSE(sink.events.empty());
    EXPECT_EQ(sink.events[0].id, hox::DISPID_HealthUpdate);
    EXPECT_EQ(sink.events[0].ints, (std::vector<int32_t>{0, 2}));

    // The manager's last reference ends the feed thread and lets go of the sink, though the
    // quote objects keep the rest of the host alive; records already posted find their
    // subscriptions gone. The client's objects may then be destroyed safely.
    point.Reset();
    container.Reset();
    manager.Reset();
    EXPECT_EQ(sink.refs, 0);
    size_t quotesSeen = quoteSide.quotes.size(), entriesSeen = bookSide.level2.size();
    size_t eventsSeen = sink.events.size();
    apartment.RunPosted();
    EXPECT_EQ(quoteSide.quotes.size(), quotesSeen);
    EXPECT_EQ(bookSide.level2.size(), entriesSeen);
    EXPECT_EQ(sink.events.size(), eventsSeen);
    a.Reset();
    b.Reset();
    EXPECT_EQ(quoteSide.refs, 0);
    EXPECT_EQ(bookSide.refs, 0);
}

TEST_F(HostTest, FeedPausesWhileTheWindowThreadFallsBehind) {
    using Clock = std::chrono::steady_clock;
    RecordingNotify quoteSide, bookSide;
    auto a = Subscribed(quoteSide, u"EUR/USD", 2), b = Subscribed(bookSide, u"EUR/USD", 1);
    HostControl::SetRate(10000);
    // Unserved, the records pile up to the limit, one round of two past it at most, and no
    // further while the feed goes on at ten thousand rounds a second.
    auto deadline = Clock::now() + std::chrono::seconds(20);
    while (apartment.Waiting() < 1000 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_GE(apartment.Waiting(), 1000u);
    size_t most = 0;
    for (auto until = Clock::now() + std::chrono::milliseconds(200); Clock::now() < until;)
        most = std::max(most, apartment.Waiting());
    EXPECT_LE(most, 1001u);
    // Once the window caught up, the feed goes on.
    apartment.RunPosted();
    deadline = Clock::now() + std::chrono::seconds(20);
    while (apartment.Waiting() == 0 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    HostControl::SetRate(0);
    EXPECT_GT(apartment.RunPosted(), 0);
}
