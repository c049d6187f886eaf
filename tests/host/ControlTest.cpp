// What tests and the window rely on: the call log, failures of named calls, the logon answer,
// injected records and the manager's events.
#include "HostTestSupport.h"

using namespace hosttest;
using hostsim::FeedKind;
using hostsim::HostControl;

TEST_F(HostTest, CallLogNamesEachCallWithItsArguments) {
    com::ComPtr<hox::IHoxOrderClient> orders;
    ASSERT_EQ(manager->SetManagerFlag(0), com::S_OK);
    ASSERT_EQ(manager->GetOrderClient(orders.Put()), com::S_OK);
    ASSERT_EQ(orders->SetOrderClientFlag(-1), com::S_OK);
    RecordingNotify notify;
    auto quotes = Subscribed(notify, u"EUR/USD", 2);
    Logon(u"user", u"pass", 1234);
    LoggedOn();
    ASSERT_EQ(quotes->Unsubscribe(&notify), com::S_OK);
    EXPECT_EQ(
        HostControl::CallLog(),
        (std::vector<std::string>{"SetManagerFlag(0)", "GetOrderClient", "SetOrderClientFlag(-1)",
                                  "GetQuotes", "Subscribe(EUR/USD,2)", "Logon(1234,user,pass,0)",
                                  "GetLoggedOn", "Unsubscribe"}));
}

TEST_F(HostTest, NamedCallFailsEveryTimeOrOnlyItsKthTime) {
    HostControl::FailCall("GetQuotes", com::E_ACCESSDENIED);
    com::ComPtr<hox::IHoxQuotes> quotes;
    EXPECT_EQ(manager->GetQuotes(quotes.Put()), com::E_ACCESSDENIED);
    EXPECT_FALSE(quotes);
    EXPECT_EQ(manager->GetQuotes(quotes.Put()), com::E_ACCESSDENIED);
    HostControl::ClearFailures();
    ASSERT_EQ(manager->GetQuotes(quotes.Put()), com::S_OK);

    HostControl::FailCall("Subscribe", com::E_FAIL, 2);
    RecordingNotify notify;
    com::Bstr symbol(u"EUR/USD");
    EXPECT_EQ(quotes->Subscribe(&notify, symbol.get(), 2), com::S_OK);
    EXPECT_EQ(quotes->Subscribe(&notify, symbol.get(), 1), com::E_FAIL);
    EXPECT_EQ(quotes->Subscribe(&notify, symbol.get(), 1), com::S_OK);
    // The failed call was logged but did nothing: one Level 2 subscription, not two.
    EXPECT_EQ(HostControl::DeliverNext(FeedKind::Level2, 1), 1);
    EXPECT_EQ(HostControl::CallLog().size(), 6u);
    quotes->Unsubscribe(&notify);

    HostControl::FailCall("CoCreateInstance", com::E_OUTOFMEMORY);
    com::ComPtr<hox::IHoxComMgr> m;
    EXPECT_EQ(com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                                    hox::IID_IHoxComMgr, m.PutVoid()),
              com::E_OUTOFMEMORY);
    EXPECT_FALSE(m);
}

TEST_F(HostTest, LogonStateAndTheForcedAnswer) {
    EXPECT_EQ(LoggedOn(), 0);
    EXPECT_EQ(Logon(u"user", u""), 0); // no password, no logon
    EXPECT_EQ(LoggedOn(), 0);
    EXPECT_NE(Logon(u"user", u"secret"), 0);
    EXPECT_NE(LoggedOn(), 0);
    HostControl::SetLoggedOnAnswer(false);
    EXPECT_EQ(LoggedOn(), 0);
    HostControl::SetLoggedOnAnswer(std::nullopt);
    EXPECT_NE(LoggedOn(), 0);
}

TEST_F(HostTest, InjectedRecordsArriveAsGivenToTheirSymbolsSubscribers) {
    RecordingNotify euro, pound, book;
    auto a = Subscribed(euro, u"EUR/USD", 2), b = Subscribed(pound, u"GBP/USD", 2);
    com::Bstr symbol(u"EUR/USD");
    hox::QuoteRecord q{};
    q.bstrSymbol = symbol.get(); // market, company and underlier stay null
    q.lBidSize = 500;
    q.lAskSize = 200;
    q.tick = 0x80000001u;
    HostControl::InjectQuote(q);
    EXPECT_EQ(apartment.RunPosted(), 1);
    ASSERT_EQ(euro.quotes.size(), 1u);
    EXPECT_TRUE(pound.quotes.empty());
    const auto& got = euro.quotes[0].values;
    EXPECT_NE(got.bstrSymbol, q.bstrSymbol); // the host's own copy
    EXPECT_EQ(got.bstrMarket, nullptr);
    EXPECT_EQ(got.lBidSize, 500);
    EXPECT_EQ(got.lAskSize, 200);
    EXPECT_EQ(got.tick, 0x80000001u);

    // A record without a symbol reaches every subscriber of its kind.
    HostControl::InjectQuote(hox::QuoteRecord{});
    apartment.RunPosted();
    EXPECT_EQ(euro.quotes.size(), 2u);
    EXPECT_EQ(pound.quotes.size(), 1u);

    auto c = Subscribed(book, u"EUR/USD", 1);
    com::Bstr mmid(u"GSCO");
    hox::Level2Record e{};
    e.bstrSymbol = symbol.get();
    e.bstrMMID = mmid.get();
    e.side = 2;
    e.bClosed = 1;
    HostControl::InjectLevel2(e);
    apartment.RunPosted();
    ASSERT_EQ(book.level2.size(), 1u);
    EXPECT_EQ(book.level2[0].mmid, u"GSCO");
    EXPECT_EQ(book.level2[0].values.side, 2u);
    EXPECT_EQ(book.level2[0].values.bClosed, 1);
    a->Unsubscribe(&euro);
    b->Unsubscribe(&pound);
    c->Unsubscribe(&book);
}

TEST_F(HostEventsTest, LogonReportsHealthConnectionAndInfoOnTheWindowThread) {
    RecordingSink sink;
    com::DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), com::S_OK);
    EXPECT_NE(cookie, 0u);
    Logon(u"u", u"p", 5);
    EXPECT_TRUE(sink.events.empty());
    apartment.RunPosted();
    ASSERT_EQ(sink.events.size(), 4u);
    EXPECT_EQ(sink.events[0].id, hox::DISPID_HealthUpdate);
    EXPECT_EQ(sink.events[0].ints, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(sink.events[1].id, hox::DISPID_Connected);
    EXPECT_EQ(sink.events[2].id, hox::DISPID_ConnectionInfo);
    EXPECT_FALSE(sink.events[2].serverName.empty());
    EXPECT_EQ(sink.events[3].ints, (std::vector<int32_t>{0, 3}));

    ASSERT_EQ(point->Unadvise(cookie), com::S_OK);
    EXPECT_EQ(sink.refs, 0);
    HostControl::FireHealth(0, 3);
    apartment.RunPosted();
    EXPECT_EQ(sink.events.size(), 4u);
    EXPECT_EQ(point->Unadvise(cookie), com::CONNECT_E_NOCONNECTION);

    // An event posted before Unadvise is dropped as well.
    ASSERT_EQ(point->Advise(&sink, &cookie), com::S_OK);
    HostControl::FireHealth(1, 9);
    point->Unadvise(cookie);
    apartment.RunPosted();
    EXPECT_EQ(sink.events.size(), 4u);
}

TEST_F(HostEventsTest, ConnectionPointRefusalsAndInjectedFailures) {
    com::ComPtr<com::IConnectionPoint> other;
    EXPECT_EQ(container->FindConnectionPoint(hox::IID_IHoxQuotes, other.Put()),
              com::CONNECT_E_NOCONNECTION);
    EXPECT_FALSE(other);

    RecordingSink deaf;
    deaf.answerEvents = false;
    com::DWORD cookie = 7;
    EXPECT_EQ(point->Advise(&deaf, &cookie), com::CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);

    RecordingSink sink;
    HostControl::FailCall("Advise", com::CONNECT_E_ADVISELIMIT);
    EXPECT_EQ(point->Advise(&sink, &cookie), com::CONNECT_E_ADVISELIMIT);
    HostControl::ClearFailures();
    ASSERT_EQ(point->Advise(&sink, &cookie), com::S_OK);
    HostControl::FailCall("Unadvise", com::E_FAIL, 1);
    EXPECT_EQ(point->Unadvise(cookie), com::E_FAIL);
    EXPECT_EQ(point->Unadvise(cookie), com::S_OK);
    HostControl::FailCall("FindConnectionPoint", com::E_NOINTERFACE);
    EXPECT_EQ(container->FindConnectionPoint(hox::DIID_IHoxComMgrEvents, other.Put()),
              com::E_NOINTERFACE);
}
