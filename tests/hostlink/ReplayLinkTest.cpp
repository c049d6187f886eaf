// A host program's replay seen through the link: its position, pause, resume and a jump; a
// host without a replay says so, and one older than these calls is told clearly.
#include "LinkTestSupport.h"

#include "HoxReplay.h"
#include "Wire.h"
#include "com/OleCheck.h"
#include "host/ReplayOptions.h"
#include "hostlink.pb.h"
#include "replay/RecordingWriter.h"

#include <sstream>

using namespace linktest;
using hosttest::RecordingNotify;

namespace {

constexpr int64_t kStartUs = 1709294400000000; // 2024-03-01 12:00:00 UTC

com::ComPtr<hox::IHoxReplay> ReplayOf(const com::ComPtr<hox::IHoxComMgr>& manager) {
    com::ComPtr<hox::IHoxReplay> replay;
    EXPECT_EQ(manager->QueryInterface(hox::IID_IHoxReplay, replay.PutVoid()), com::S_OK);
    return replay;
}

// A host of the first protocol version that knows nothing of replays: it opens sessions and
// answers every call but those.
std::optional<hoxlink::Status> OlderHostAnswer(const hoxlink::Call& call) {
    hoxlink::Status answer = linktest::Answered();
    if (call.method() == hoxlink::GET_REPLAY || call.method() == hoxlink::CONTROL_REPLAY)
        answer.set_code(int32_t(hostlink::Code::Unimplemented));
    return answer;
}

} // namespace

TEST_F(LinkTest, AHostWithoutAReplaySaysSoAndAnOlderOneIsToldClearly) {
    auto manager = CreateManager();
    ASSERT_TRUE(manager);
    auto replay = ReplayOf(manager);
    hox::ReplayPosition position{com::VARIANT_TRUE, 1, 1, 1, 1};
    EXPECT_EQ(replay->GetPosition(&position), com::S_OK);
    EXPECT_EQ(position.replaying, 0);
    EXPECT_EQ(replay->SetPaused(com::VARIANT_TRUE), com::S_OK); // ignored
    manager.Reset();
    replay.Reset();

    hostlink::RevokeHostProxy();
    const std::string older = folder.Path() + "/older.sock";
    linktest::FakeHost olderHost(older, OlderHostAnswer);
    options.SocketPath = older;
    options.HostProgram.clear();
    hostlink::RegisterHostProxy(options);
    manager = CreateManager();
    ASSERT_TRUE(manager);
    replay = ReplayOf(manager);
    EXPECT_EQ(replay->GetPosition(&position), com::E_NOTIMPL);
    EXPECT_EQ(com::TakeErrorInfo(com::E_NOTIMPL),
              "The trading host at unix:" + older + " does not know the call");
    EXPECT_EQ(replay->JumpTo(kStartUs), com::E_NOTIMPL);
    manager.Reset();
    replay.Reset();
}

// The host program's replay, steered by the desk through the link.
TEST_F(LinkTest, AHostsReplayIsShownPausedResumedAndJumped) {
    hostsim::ReplayOptions replaying;
    replaying.files = {folder.Path() + "/ten.csv"};
    {
        replay::RecordingWriter writer(replaying.files[0]);
        com::Bstr symbol(u"EUR/USD");
        for (int i = 0; i < 10; ++i) {
            hox::QuoteRecord q{};
            q.bstrSymbol = symbol.get();
            q.tick = uint32_t(i);
            writer.WriteQuote(q, kStartUs + i * 1000000);
        }
    }
    std::ostringstream log;
    hostlink::ServerOptions serverOptions;
    serverOptions.SocketPath = folder.Path() + "/replay.sock";
    serverOptions.HealthIntervalMs = 0;
    hostlink::THostServer replayServer(serverOptions, hostsim::OpenReplay(replaying, log));
    ASSERT_TRUE(replayServer.Start());
    hostlink::RevokeHostProxy();
    options.SocketPath = serverOptions.SocketPath;
    hostlink::RegisterHostProxy(options);

    auto manager = CreateManager();
    ASSERT_TRUE(manager);
    auto replay = ReplayOf(manager);
    com::ComPtr<hox::IHoxQuotes> quotes;
    ASSERT_EQ(manager->GetQuotes(quotes.Put()), com::S_OK);
    RecordingNotify notify;
    com::Bstr symbol(u"EUR/USD");
    ASSERT_EQ(quotes->Subscribe(&notify, symbol.get(), 2), com::S_OK);
    ASSERT_TRUE(RunUntil([&] { return !notify.quotes.empty(); }));
    hox::ReplayPosition position{};
    ASSERT_EQ(replay->SetPaused(com::VARIANT_TRUE), com::S_OK);
    ASSERT_EQ(replay->GetPosition(&position), com::S_OK);
    EXPECT_TRUE(position.replaying);
    EXPECT_TRUE(position.paused);
    EXPECT_FALSE(position.ended);
    EXPECT_GE(position.recordUs, kStartUs);
    EXPECT_GT(position.percent, 0);
    const size_t seen = notify.quotes.size();
    ASSERT_LT(seen, 10u);

    ASSERT_EQ(replay->JumpTo(kStartUs + 8000000), com::S_OK);
    ASSERT_EQ(replay->GetPosition(&position), com::S_OK);
    EXPECT_EQ(position.recordUs, kStartUs + 7000000); // the last record passed over
    EXPECT_TRUE(position.paused);
    ASSERT_EQ(replay->SetPaused(0), com::S_OK);
    ASSERT_TRUE(RunUntil([&] { return notify.quotes.size() == seen + 1; }));
    EXPECT_EQ(notify.quotes.back().values.tick, 8u);
    ASSERT_EQ(replay->GetPosition(&position), com::S_OK);
    EXPECT_FALSE(position.paused);
    EXPECT_EQ(position.recordUs, kStartUs + 8000000);
    quotes->Unsubscribe(&notify);
    quotes.Reset();
    replay.Reset();
    manager.Reset();
    apartment.RunPosted();
}

// A replay as fast as possible into a desk that stops reading for a while: the replay waits for
// the desk instead of ending its subscription, and every record arrives once, in order. The
// desk's channel keeps a small receive window, so the records pile up on the host.
TEST_F(LinkTest, AReplayWaitsForASlowDeskAndLosesNothing) {
    constexpr uint32_t kRecords = 20000;
    hostsim::ReplayOptions replaying;
    replaying.files = {folder.Path() + "/many.csv"};
    replaying.play.asFastAsPossible = true;
    {
        replay::RecordingWriter writer(replaying.files[0]);
        com::Bstr symbol(u"EUR/USD");
        for (uint32_t i = 0; i < kRecords; ++i) {
            hox::QuoteRecord q{};
            q.bstrSymbol = symbol.get();
            q.tick = i;
            writer.WriteQuote(q, kStartUs + i);
        }
    }
    std::ostringstream log;
    hostlink::ServerOptions serverOptions;
    serverOptions.SocketPath = folder.Path() + "/replay.sock";
    serverOptions.HealthIntervalMs = 0;
    serverOptions.PaceQueuedRecords = 50;
    serverOptions.MaxQueuedRecords = 2000; // far below what the desk leaves unread
    hostlink::THostServer replayServer(serverOptions, hostsim::OpenReplay(replaying, log));
    ASSERT_TRUE(replayServer.Start());

    linktest::RawDesk session, calls;
    hoxlink::Frame hello;
    ASSERT_TRUE(session.Open(serverOptions.SocketPath, hostlink::RoleSession,
                             hostlink::ProtocolVersion, hello, 4096));
    hoxlink::Frame welcome;
    ASSERT_TRUE(calls.Open(serverOptions.SocketPath, hostlink::RoleCalls,
                           hostlink::ProtocolVersion, welcome));
    hoxlink::DeskCall deskCall;
    deskCall.set_desk(hello.event().desk());
    hoxlink::Reply quotes;
    ASSERT_EQ(calls.Call(hoxlink::GET_QUOTES, deskCall, quotes).code(), 0);
    hoxlink::SubscribeCall call;
    call.set_desk(hello.event().desk());
    call.set_quotes(quotes.id());
    call.set_notify(1);
    call.set_symbol(hostlink::ToWire(u"EUR/USD"));
    call.set_kind(int32_t(hostsim::FeedKind::Quote));
    call.set_stream(7);
    hoxlink::Reply subscribed;
    ASSERT_EQ(calls.Call(hoxlink::SUBSCRIBE, call, subscribed).code(), 0);
    ASSERT_EQ(subscribed.hr(), com::S_OK);

    // The desk reads nothing while the replay runs on as fast as it may.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    uint32_t next = 0;
    hoxlink::Frame frame;
    while (next < kRecords && session.Connection().Read(frame, 5000) ==
                                  hostlink::Connection::ReadResult::Frame) {
        ASSERT_FALSE(frame.has_end()) << frame.end().message();
        if (frame.has_ping()) {
            frame.Clear();
            frame.set_pong(true);
            session.Connection().Send(frame);
        }
        if (!frame.has_records()) continue;
        EXPECT_EQ(frame.records().stream(), 7u);
        for (const auto& quote : frame.records().records().quotes()) {
            ASSERT_EQ(quote.tick(), next);
            ++next;
        }
    }
    EXPECT_EQ(next, kRecords);
    EXPECT_EQ(replayServer.Counters().SlowDesks, 0u);
}
