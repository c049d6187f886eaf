// The host's interfaces through the proxies and a server in the test's process: every call
// answers the host's HRESULT, the host's calls into the desk run on the desk's apartment, and
// what the host refuses is refused clearly.
#include "LinkTestSupport.h"

#include "Link.h"
#include "Wire.h"
#include "com/OleCheck.h"
#include "hostlink.pb.h"

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <atomic>
#include <thread>

using namespace linktest;
using hostsim::FeedKind;
using hosttest::RecordingNotify;
using hosttest::RecordingSink;

TEST_P(LinkModes, CallsAnswerTheHostsHresultsAndEventsRunOnTheDesksApartment) {
    auto manager = CreateManager();
    ASSERT_TRUE(manager);
    EXPECT_EQ(server->Desks(), 1);
    EXPECT_EQ(manager->SetManagerFlag(0), com::S_OK);
    com::ComPtr<hox::IHoxOrderClient> orders, again;
    ASSERT_EQ(manager->GetOrderClient(orders.Put()), com::S_OK);
    ASSERT_EQ(manager->GetOrderClient(again.Put()), com::S_OK);
    EXPECT_EQ(orders.Get(), again.Get()); // one order client per manager
    EXPECT_EQ(orders->SetOrderClientFlag(-1), com::S_OK);

    // The sink is advised on the host and hears the logon's events, in the host's order, only
    // when the desk's thread runs its calls.
    com::ComPtr<com::IConnectionPointContainer> container;
    com::ComPtr<com::IConnectionPoint> point;
    ASSERT_EQ(manager.As(container), com::S_OK);
    EXPECT_EQ(container->FindConnectionPoint(hox::IID_IHoxQuotes, point.Put()),
              com::CONNECT_E_NOCONNECTION);
    ASSERT_EQ(container->FindConnectionPoint(hox::DIID_IHoxComMgrEvents, point.Put()), com::S_OK);
    RecordingSink sink, deaf;
    deaf.answerEvents = false;
    com::DWORD cookie = 0, unused = 0;
    EXPECT_EQ(point->Advise(&deaf, &unused), com::CONNECT_E_CANNOTCONNECT);
    ASSERT_EQ(point->Advise(&sink, &cookie), com::S_OK);
    EXPECT_NE(cookie, 0u);
    EXPECT_EQ(point->Unadvise(cookie + 100), com::CONNECT_E_NOCONNECTION);

    com::Bstr user(u"trader"), empty(u""), password(u"secret");
    com::VARIANT_BOOL answer = com::VARIANT_TRUE, loggedOn = com::VARIANT_TRUE;
    ASSERT_EQ(manager->Logon(1234, user.get(), empty.get(), 0, &answer), com::S_OK);
    EXPECT_EQ(answer, com::VARIANT_FALSE);
    ASSERT_EQ(manager->GetLoggedOn(&loggedOn), com::S_OK);
    EXPECT_EQ(loggedOn, com::VARIANT_FALSE);
    ASSERT_EQ(manager->Logon(1234, user.get(), password.get(), 0, &answer), com::S_OK);
    EXPECT_EQ(answer, com::VARIANT_TRUE);
    ASSERT_EQ(manager->GetLoggedOn(&loggedOn), com::S_OK);
    EXPECT_EQ(loggedOn, com::VARIANT_TRUE);
    EXPECT_EQ(manager->Logon(1, user.get(), password.get(), 0, nullptr), com::E_POINTER);

    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_TRUE(sink.events.empty()); // nothing runs outside the desk's thread
    ASSERT_TRUE(RunUntil([&] { return sink.events.size() >= 6; }));
    std::vector<std::pair<com::DISPID, std::vector<int32_t>>> seen;
    for (const auto& e : sink.events) seen.emplace_back(e.id, e.ints);
    using Events = decltype(seen);
    EXPECT_EQ(seen, (Events{{1, {0, 1}}, {1, {0, 2}}, {1, {0, 1}}, {3, {}}, {2, {}}, {1, {0, 3}}}));
    EXPECT_EQ(sink.events[4].serverName, u"test host");
    EXPECT_TRUE(deaf.events.empty());

    // Unadvised, the sink hears no more; a second Unadvise is the host's refusal.
    ASSERT_EQ(point->Unadvise(cookie), com::S_OK);
    EXPECT_EQ(point->Unadvise(cookie), com::CONNECT_E_NOCONNECTION);
    ASSERT_EQ(manager->Logon(1234, user.get(), password.get(), 0, &answer), com::S_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    apartment.RunPosted();
    EXPECT_EQ(sink.events.size(), 6u);

    // Released, the desk leaves the host.
    point.Reset();
    container.Reset();
    orders.Reset();
    again.Reset();
    manager.Reset();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (server->Desks() != 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(server->Desks(), 0);
}

TEST_P(LinkModes, RecordsArriveWholeInTheHostsOrderUntilUnsubscribed) {
    auto manager = CreateManager();
    ASSERT_TRUE(manager);
    com::ComPtr<hox::IHoxQuotes> quotes, book;
    ASSERT_EQ(manager->GetQuotes(quotes.Put()), com::S_OK);
    ASSERT_EQ(manager->GetQuotes(book.Put()), com::S_OK);
    EXPECT_NE(quotes.Get(), book.Get());
    RecordingNotify notify;
    com::Bstr symbol(u"EUR/USD");
    EXPECT_EQ(quotes->Subscribe(&notify, symbol.get(), 3), com::E_INVALIDARG);
    EXPECT_EQ(quotes->Subscribe(nullptr, symbol.get(), 2), com::E_POINTER);
    EXPECT_FALSE(source->Watched(u"EUR/USD", FeedKind::Quote));
    ASSERT_EQ(quotes->Subscribe(&notify, symbol.get(), 2), com::S_OK);
    ASSERT_EQ(quotes->Subscribe(&notify, symbol.get(), 2), com::S_OK); // twice: one stream
    ASSERT_EQ(book->Subscribe(&notify, symbol.get(), 1), com::S_OK);
    EXPECT_TRUE(source->Watched(u"EUR/USD", FeedKind::Quote));
    EXPECT_TRUE(source->Watched(u"EUR/USD", FeedKind::Level2));

    // More records than one message holds, another symbol's between them.
    const uint32_t count = 3 * hostlink::MaxBatchRecords + 5;
    for (uint32_t tick = 1; tick <= count; ++tick) {
        source->Push(TestQuote(tick).r);
        if (tick % 100 == 0) source->Push(TestQuote(tick, u"GBP/USD").r);
    }
    com::Bstr mmid(u"GSCO"), venue(u"ECN");
    hox::Level2Record entry{symbol.get(), mmid.get(), venue.get(), 300, 1.0835, 1, -1, 46000.25};
    source->Push(entry);
    entry.bClosed = 0;
    source->Push(entry);
    // The apartment is woken once for what waits in the link, not once per record.
    int wakes = 0;
    ASSERT_TRUE(RunUntil([&] {
        wakes += int(apartment.Waiting());
        return notify.quotes.size() >= count && notify.level2.size() == 2;
    }));
    EXPECT_LT(wakes, int(count / 10));
    ASSERT_EQ(notify.quotes.size(), count);
    for (uint32_t i = 0; i < count; ++i) ASSERT_EQ(notify.quotes[i].values.tick, i + 1);
    const auto& q = notify.quotes[41];
    const TestQuote expected(42);
    EXPECT_EQ(q.symbol, u"EUR/USD");
    EXPECT_EQ(q.market, u"FX");
    EXPECT_EQ(q.company, u"Euro");
    EXPECT_EQ(q.underlier, u"EUR");
    EXPECT_EQ(q.values.dBid, expected.r.dBid);
    EXPECT_EQ(q.values.dAsk, expected.r.dAsk);
    EXPECT_EQ(q.values.lBidSize, 500);
    EXPECT_EQ(q.values.lVolume, 4200);
    EXPECT_EQ(q.values.UTCDateTime, 46000.5);
    EXPECT_EQ(q.values.putcall, 7u);
    EXPECT_EQ(notify.level2[0].mmid, u"GSCO");
    EXPECT_EQ(notify.level2[0].source, u"ECN");
    EXPECT_EQ(notify.level2[0].values.lSize, 300);
    EXPECT_EQ(notify.level2[0].values.dPrice, 1.0835);
    EXPECT_EQ(notify.level2[0].values.side, 1u);
    EXPECT_EQ(notify.level2[0].values.bClosed, -1);
    EXPECT_EQ(notify.level2[1].values.bClosed, 0);

    // Records on their way when Unsubscribe returns never reach the object; the source is told
    // nobody wants the quotes any more, while the book's subscription goes on.
    source->Push(TestQuote(count + 1).r);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!GetParam() && apartment.Waiting() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // in the socket, read or not
    ASSERT_EQ(quotes->Unsubscribe(&notify), com::S_OK);
    EXPECT_EQ(quotes->Unsubscribe(nullptr), com::E_POINTER);
    source->Push(TestQuote(count + 2).r);
    source->Push(entry);
    ASSERT_TRUE(RunUntil([&] { return notify.level2.size() == 3; }));
    EXPECT_EQ(notify.quotes.size(), count);
    ASSERT_TRUE(RunUntil([&] { return !source->Watched(u"EUR/USD", FeedKind::Quote); }));
    EXPECT_TRUE(source->Watched(u"EUR/USD", FeedKind::Level2));

    // A released quote object takes its subscriptions with it.
    book.Reset();
    ASSERT_TRUE(RunUntil([&] { return !source->Watched(u"EUR/USD", FeedKind::Level2); }));

    // Streams take no thread of their own.
    auto threads = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                             std::filesystem::directory_iterator());
    };
    const auto before = threads();
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(quotes->Subscribe(&notify, symbol.get(), 2), com::S_OK);
        ASSERT_EQ(quotes->Unsubscribe(&notify), com::S_OK);
        ASSERT_TRUE(RunUntil([&] { return !source->Watched(u"EUR/USD", FeedKind::Quote); }));
    }
    EXPECT_LE(threads(), before + 2);
}

// A desk that takes its time over the records: its own messages come in between them, and a
// handler that unsubscribes stops the records after it, those of the same message included.
TEST_P(LinkModes, ASlowDeskRunsItsOwnMessagesBetweenRecords) {
    auto manager = CreateManager();
    ASSERT_TRUE(manager);
    com::ComPtr<hox::IHoxQuotes> quotes;
    ASSERT_EQ(manager->GetQuotes(quotes.Put()), com::S_OK);
    struct SlowNotify : RecordingNotify {
        hox::IHoxQuotes* owner = nullptr;
        std::function<void()> onFirst;
        com::HRESULT OnQuoteData(hox::QuoteRecord* r) override {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
            RecordingNotify::OnQuoteData(r);
            if (quotes.size() == 1) onFirst();
            if (r->tick == 900) owner->Unsubscribe(this);
            return com::S_OK;
        }
    } notify;
    notify.owner = quotes.Get();
    // A message of the desk's own, posted while the first record runs.
    size_t seenByMessage = 0;
    bool messageRan = false;
    notify.onFirst = [&] {
        com::TApartment::Current().Post([&] {
            seenByMessage = notify.quotes.size();
            messageRan = true;
        });
    };
    com::Bstr symbol(u"EUR/USD");
    ASSERT_EQ(quotes->Subscribe(&notify, symbol.get(), 2), com::S_OK);
    // Several messages' worth, all on their way before the desk runs any.
    for (uint32_t tick = 1; tick <= 1000; ++tick) source->Push(TestQuote(tick).r);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(RunUntil([&] { return messageRan && notify.quotes.size() >= 900; }));
    EXPECT_LT(seenByMessage, 900u);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    apartment.RunPosted();
    ASSERT_EQ(notify.quotes.size(), 900u);
    EXPECT_EQ(notify.quotes.back().values.tick, 900u);
}

// A desk that fell too far behind: the host ends the subscription and says how many records it
// dropped; the desk tells it once and subscribes again by itself, so the records go on, each
// once, until the window unsubscribes.
TEST_P(LinkModes, ADeskTooFarBehindSubscribesAgainByItself) {
    auto manager = CreateManager();
    ASSERT_TRUE(manager);
    com::ComPtr<hox::IHoxQuotes> quotes;
    ASSERT_EQ(manager->GetQuotes(quotes.Put()), com::S_OK);
    RecordingNotify notify;
    com::Bstr symbol(u"EUR/USD");
    ASSERT_EQ(quotes->Subscribe(&notify, symbol.get(), 2), com::S_OK);
    testing::internal::CaptureStderr();
    // The desk runs nothing meanwhile: the link holds its 4096 records (when its reader thread
    // reads), the socket some more, and the host's queue for the desk fills up.
    uint32_t tick = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (server->Counters().SlowDesks == 0 && std::chrono::steady_clock::now() < deadline)
        for (int i = 0; i < 500; ++i) source->Push(TestQuote(++tick).r);
    ASSERT_EQ(server->Counters().SlowDesks, 1u);
    const uint32_t lastBehind = tick;
    ASSERT_TRUE(RunUntil(
        [&] {
            source->Push(TestQuote(++tick).r);
            return !notify.quotes.empty() && notify.quotes.back().values.tick > lastBehind;
        },
        std::chrono::seconds(20)));
    const std::string told = testing::internal::GetCapturedStderr();
    size_t missed = 0;
    for (size_t i = 1; i < notify.quotes.size(); ++i) {
        ASSERT_GT(notify.quotes[i].values.tick, notify.quotes[i - 1].values.tick);
        missed += notify.quotes[i].values.tick - notify.quotes[i - 1].values.tick - 1;
    }
    EXPECT_GE(missed, 5000u);
    const std::string line = "hoxdesk: the host ended the subscription to EUR/USD (quotes): the "
                             "desk fell more than 5000 records behind; 5001 records missed; "
                             "subscribing again\n";
    EXPECT_NE(told.find(line), std::string::npos) << told;
    EXPECT_EQ(told.find("subscribing again"), told.rfind("subscribing again")); // said once
    EXPECT_EQ(server->Counters().SlowDesks, 1u);

    // The new subscription is the window's: Unsubscribe ends it.
    ASSERT_EQ(quotes->Unsubscribe(&notify), com::S_OK);
    const size_t seen = notify.quotes.size();
    source->Push(TestQuote(++tick).r);
    ASSERT_TRUE(RunUntil([&] { return !source->Watched(u"EUR/USD", FeedKind::Quote); }));
    apartment.RunPosted();
    EXPECT_EQ(notify.quotes.size(), seen);
}

// A host that takes the desk's session but never answers a Subscribe: the call ends at its
// deadline with RPC_E_TIMEOUT and a description, the late answer is passed over, and the desk
// goes on.
INSTANTIATE_TEST_SUITE_P(ReadBy, LinkModes, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& mode) {
                             return mode.param ? "Apartment" : "ReaderThread";
                         });

TEST_F(LinkTest, ASubscribeTheHostLeavesUnansweredEndsAtItsDeadline) {
    const std::string silentSocket = folder.Path() + "/silent.sock";
    std::atomic<int> subscribes = 0;
    linktest::FakeHost silent(silentSocket, [&](const hoxlink::Call& call)
                                                -> std::optional<hoxlink::Status> {
        hoxlink::Reply reply;
        if (call.method() == hoxlink::SUBSCRIBE) {
            // The first is answered too late, the second never.
            if (++subscribes > 1) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            reply.set_hr(com::E_FAIL);
        }
        reply.set_id(2);
        return Answered(reply);
    });
    ReachHostAt(silentSocket, 300);
    {
        auto manager = CreateManager();
        ASSERT_TRUE(manager);
        com::ComPtr<hox::IHoxQuotes> quotes;
        ASSERT_EQ(manager->GetQuotes(quotes.Put()), com::S_OK);
        RecordingNotify notify;
        com::Bstr symbol(u"EUR/USD");
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(quotes->Subscribe(&notify, symbol.get(), 2), com::RPC_E_TIMEOUT);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        EXPECT_NE(com::TakeErrorInfo(com::RPC_E_TIMEOUT).find("did not answer in time"),
                  std::string::npos);
        EXPECT_EQ(quotes->Subscribe(&notify, symbol.get(), 2), com::RPC_E_TIMEOUT);
        com::ComPtr<hox::IHoxQuotes> more;
        EXPECT_EQ(manager->GetQuotes(more.Put()), com::S_OK); // the desk goes on
    }
}

// A host that keeps its session open but says nothing (not even to the pings it would send) is
// given up by the desk, and a desk that answers no ping by the host: each within a few seconds,
// while the host serves on.
TEST_P(LinkModes, ASilentHostAndASilentDeskAreGivenUp) {
    linktest::RawDesk mute;
    hoxlink::Frame hello;
    ASSERT_TRUE(mute.Open(socket, hostlink::RoleSession, hostlink::ProtocolVersion, hello));
    ASSERT_EQ(server->Desks(), 1);

    const std::string silentSocket = folder.Path() + "/silent.sock";
    linktest::FakeHost silent(
        silentSocket,
        [](const hoxlink::Call&) { return std::optional(Answered()); },
        false);
    ReachHostAt(silentSocket);
    RecordingSink sink; // outlives the link, which holds it
    auto manager = CreateManager();
    ASSERT_TRUE(manager);
    com::ComPtr<com::IConnectionPointContainer> container;
    com::ComPtr<com::IConnectionPoint> point;
    ASSERT_EQ(manager.As(container), com::S_OK);
    ASSERT_EQ(container->FindConnectionPoint(hox::DIID_IHoxComMgrEvents, point.Put()), com::S_OK);
    com::DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), com::S_OK);

    const auto start = std::chrono::steady_clock::now();
    const auto told = [&] {
        for (const auto& e : sink.events)
            if (e.id == hox::DISPID_Disconnected) return true;
        return false;
    };
    ASSERT_TRUE(RunUntil([&] { return told() && server->Desks() == 0; }, std::chrono::seconds(12)));
    EXPECT_GE(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(hostlink::SilenceLimitMs - 1000));
    hoxlink::Frame frame;
    while (mute.Connection().Read(frame, 1000) == hostlink::Connection::ReadResult::Frame) {
    }
    EXPECT_EQ(mute.Connection().Read(frame, 1000), hostlink::Connection::ReadResult::Closed);
}

// A host that stops reading its calls (busy with one for 3 s): a large call that the socket
// cannot take ends at its deadline too, and the next call goes out on a new connection.
TEST_F(LinkTest, ACallTheHostDoesNotTakeEndsAtItsDeadline) {
    const std::string busySocket = folder.Path() + "/busy.sock";
    std::atomic<int> calls = 0;
    linktest::FakeHost busy(busySocket, [&](const hoxlink::Call&) {
        if (++calls == 2) std::this_thread::sleep_for(std::chrono::seconds(3));
        return std::optional(Answered());
    });
    ReachHostAt(busySocket, 300);
    auto manager = CreateManager();
    ASSERT_TRUE(manager);
    com::VARIANT_BOOL answer = 0;
    ASSERT_EQ(manager->GetLoggedOn(&answer), com::S_OK);
    EXPECT_EQ(manager->GetLoggedOn(&answer), com::RPC_E_TIMEOUT); // the host is busy with it
    com::Bstr user(u"trader"), password(std::u16string(450000, u'p'));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(manager->Logon(1, user.get(), password.get(), 0, &answer), com::RPC_E_TIMEOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_EQ(manager->GetLoggedOn(&answer), com::S_OK);
}

TEST_F(LinkTest, RefusalsAreClearAndCounted) {
    // A desk of another protocol version is refused with both versions named.
    {
        linktest::RawDesk other;
        hoxlink::Frame answer;
        ASSERT_TRUE(other.Open(socket, hostlink::RoleSession, hostlink::ProtocolVersion + 1,
                               answer));
        ASSERT_TRUE(answer.has_refused());
        EXPECT_EQ(hostlink::Code(answer.refused().code()), hostlink::Code::FailedPrecondition);
        EXPECT_EQ(answer.refused().message(),
                  "The desk speaks protocol version 2, the host version 1");
    }
    linktest::RawDesk raw;
    hoxlink::Frame answer;
    ASSERT_TRUE(raw.Open(socket, hostlink::RoleCalls, hostlink::ProtocolVersion, answer));
    ASSERT_TRUE(answer.has_event());
    // A call for a desk the host does not know (one that left, say), an unknown call and a
    // malformed request.
    hoxlink::DeskCall call;
    call.set_desk(999);
    hoxlink::Reply reply;
    EXPECT_EQ(hostlink::Code(raw.Call(hoxlink::GET_QUOTES, call, reply).code()),
              hostlink::Code::NotFound);
    const hoxlink::Status unknown = raw.Call(hoxlink::Method(99), call, reply);
    EXPECT_EQ(hostlink::Code(unknown.code()), hostlink::Code::Unimplemented);
    EXPECT_EQ(unknown.message(), "the host does not know call 99");
    hoxlink::Frame malformed;
    malformed.mutable_call()->set_method(hoxlink::GET_QUOTES);
    malformed.mutable_call()->set_request("\xff\xff\xff");
    ASSERT_TRUE(raw.Connection().Send(malformed));
    ASSERT_EQ(raw.Connection().Read(malformed, 5000), hostlink::Connection::ReadResult::Frame);
    EXPECT_EQ(hostlink::Code(malformed.answer().code()), hostlink::Code::InvalidArgument);
    // A frame that claims more than the limit ends its connection, and only it.
    const uint32_t claimed = hostlink::MaxFrameBytes + 1;
    ASSERT_EQ(raw.Connection().WriteSome(reinterpret_cast<const char*>(&claimed), 4), 4);
    EXPECT_EQ(raw.Connection().Read(malformed, 5000), hostlink::Connection::ReadResult::Closed);

    // Connections beyond the host's limit are closed at once; those it serves go on.
    {
        hostlink::ServerOptions few;
        few.SocketPath = folder.Path() + "/few.sock";
        few.MaxConnections = 2;
        hostlink::THostServer small(few, std::make_unique<PushSource>());
        ASSERT_TRUE(small.Start());
        linktest::RawDesk first, second, third;
        hoxlink::Frame welcome;
        ASSERT_TRUE(first.Open(few.SocketPath, hostlink::RoleSession, hostlink::ProtocolVersion,
                               welcome));
        ASSERT_TRUE(second.Open(few.SocketPath, hostlink::RoleCalls, hostlink::ProtocolVersion,
                                welcome));
        EXPECT_FALSE(third.Open(few.SocketPath, hostlink::RoleCalls, hostlink::ProtocolVersion,
                                welcome));
        EXPECT_EQ(small.Counters().BadCalls, 1u);
        EXPECT_EQ(small.Desks(), 1);
    }

    // An oversized symbol.
    auto manager = CreateManager();
    ASSERT_TRUE(manager);
    com::ComPtr<hox::IHoxQuotes> quotes;
    ASSERT_EQ(manager->GetQuotes(quotes.Put()), com::S_OK);
    RecordingNotify notify;
    com::Bstr huge(std::u16string(hostlink::MaxTextUnits + 1, u'X'));
    EXPECT_EQ(quotes->Subscribe(&notify, huge.get(), 2), com::E_INVALIDARG);
    const hostlink::ServerCounters counters = server->Counters();
    EXPECT_EQ(counters.VersionRefused, 1u);
    EXPECT_EQ(counters.BadCalls, 5u);
    EXPECT_EQ(server->Desks(), 1); // the host serves on
    com::VARIANT_BOOL loggedOn = 0;
    EXPECT_EQ(manager->GetLoggedOn(&loggedOn), com::S_OK);
}

// Without a host: none answers, or the socket's folder is open to others. A desk that lost its
// host tries again after pauses that double up to 5 s.
TEST_F(LinkTest, ADeskFindsNoHostOrAFolderOthersReach) {
    std::vector<long> pauses{100};
    while (pauses.size() < 8)
        pauses.push_back(
            hostlink::Link::NextPause(std::chrono::milliseconds(pauses.back())).count());
    EXPECT_EQ(pauses, (std::vector<long>{100, 200, 400, 800, 1600, 3200, 5000, 5000}));

    hostlink::ProxyOptions elsewhere = options;
    elsewhere.SocketPath = folder.Path() + "/none/host.sock";
    hostlink::RegisterHostProxy(elsewhere);
    com::ComPtr<hox::IHoxComMgr> m;
    com::HRESULT hr = com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                                            hox::IID_IHoxComMgr, m.PutVoid());
    EXPECT_EQ(hr, com::RPC_E_DISCONNECTED);
    EXPECT_EQ(com::TakeErrorInfo(hr), "No trading host answers at unix:" + elsewhere.SocketPath);

    ASSERT_EQ(chmod(folder.Path().c_str(), 0755), 0);
    hostlink::RegisterHostProxy(options);
    hr = com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                               hox::IID_IHoxComMgr, m.PutVoid());
    EXPECT_EQ(hr, com::E_ACCESSDENIED);
    EXPECT_EQ(com::TakeErrorInfo(hr), "The socket folder " + folder.Path() +
                                          " is open to other users (mode 0755; it must be 0700)");
    EXPECT_FALSE(m);
    chmod(folder.Path().c_str(), 0700);
}

// Desks on other machines reach the host over TLS on 127.0.0.1 here; a call without the host's
// token is refused and counted, and the host serves on.
TEST_P(LinkModes, TheTlsListenerAdmitsOnlyTheRightToken) {
    const std::string fixtures = HOX_FIXTURES_DIR "/tls/";
    const std::string token = folder.Path() + "/token", wrong = folder.Path() + "/wrong";
    std::ofstream(token) << "s3cret-token\n";
    std::ofstream(wrong) << "s3cret-tokem\n";
    hostlink::ServerOptions remote;
    remote.SocketPath = folder.Path() + "/remote.sock";
    remote.HealthIntervalMs = 0;
    remote.ListenAddress = "127.0.0.1:0";
    remote.TlsCertFile = fixtures + "host.crt";
    remote.TlsKeyFile = fixtures + "host.key";
    remote.TokenFile = token;
    auto pushed = std::make_unique<PushSource>();
    PushSource& feed = *pushed;
    hostlink::THostServer server(remote, std::move(pushed));
    ASSERT_TRUE(server.Start());
    ASSERT_GT(server.ListenPort(), 0);

    hostlink::ProxyOptions desk;
    desk.Address = "127.0.0.1:" + std::to_string(server.ListenPort());
    desk.TlsCaFile = fixtures + "host.crt";
    desk.TokenFile = token;
    desk.HostProgram = "/bin/false"; // never started for a host elsewhere
    hostlink::RegisterHostProxy(desk);
    auto manager = CreateManager();
    ASSERT_TRUE(manager);
    com::ComPtr<hox::IHoxQuotes> quotes;
    ASSERT_EQ(manager->GetQuotes(quotes.Put()), com::S_OK);
    RecordingNotify notify;
    com::Bstr symbol(u"EUR/USD");
    ASSERT_EQ(quotes->Subscribe(&notify, symbol.get(), 2), com::S_OK);
    feed.Push(TestQuote(1).r);
    ASSERT_TRUE(RunUntil([&] { return notify.quotes.size() == 1; }));
    EXPECT_EQ(server.Counters().BadTokens, 0u);

    desk.TokenFile = wrong;
    hostlink::RegisterHostProxy(desk);
    com::ComPtr<hox::IHoxComMgr> refused;
    const com::HRESULT hr = com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                                                  hox::IID_IHoxComMgr, refused.PutVoid());
    EXPECT_EQ(hr, com::E_ACCESSDENIED);
    EXPECT_EQ(com::TakeErrorInfo(hr), "The trading host at " + desk.Address +
                                          " refused the desk: the access token does not match");
    EXPECT_EQ(server.Counters().BadTokens, 1u);
    EXPECT_EQ(server.Desks(), 1);
    EXPECT_EQ(quotes->Unsubscribe(&notify), com::S_OK);
}
