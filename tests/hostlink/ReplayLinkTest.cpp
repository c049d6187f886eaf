// A host program's replay seen through the link: its position, pause, resume and a jump; a
// host without a replay says so, and one older than these calls is told clearly.
#include "LinkTestSupport.h"

#include "HoxReplay.h"
#include "Wire.h"
#include "com/OleCheck.h"
#include "host/ReplayOptions.h"
#include "hostlink.grpc.pb.h"
#include "replay/RecordingWriter.h"

#include <grpcpp/grpcpp.h>

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

// A host of the first protocol version that knows nothing of replays: it opens sessions.
class OlderHost final : public hoxlink::Host::Service {
    grpc::Status Open(grpc::ServerContext* context, const hoxlink::OpenRequest*,
                      grpc::ServerWriter<hoxlink::DeskEvent>* writer) override {
        hoxlink::DeskEvent hello;
        hello.set_version(hostlink::ProtocolVersion);
        hello.set_desk(1);
        writer->Write(hello);
        while (!context->IsCancelled()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return grpc::Status::OK;
    }
};

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
    OlderHost service;
    grpc::ServerBuilder builder;
    builder.AddListeningPort("unix:" + older, grpc::InsecureServerCredentials());
    builder.RegisterService(&service);
    auto server = builder.BuildAndStart();
    ASSERT_TRUE(server);
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
    server->Shutdown(std::chrono::system_clock::now());
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

    grpc::ChannelArguments args;
    args.SetInt(GRPC_ARG_HTTP2_BDP_PROBE, 0);
    args.SetInt(GRPC_ARG_HTTP2_STREAM_LOOKAHEAD_BYTES, 1024);
    auto stub = hoxlink::Host::NewStub(grpc::CreateCustomChannel(
        "unix:" + serverOptions.SocketPath, grpc::InsecureChannelCredentials(), args));
    grpc::ClientContext session;
    hoxlink::OpenRequest open;
    open.set_version(hostlink::ProtocolVersion);
    auto events = stub->Open(&session, open);
    hoxlink::DeskEvent hello;
    ASSERT_TRUE(events->Read(&hello));
    hoxlink::DeskCall deskCall;
    deskCall.set_desk(hello.desk());
    hoxlink::Reply quotes;
    {
        grpc::ClientContext context;
        ASSERT_TRUE(stub->GetQuotes(&context, deskCall, &quotes).ok());
    }
    hoxlink::SubscribeCall call;
    call.set_desk(hello.desk());
    call.set_quotes(quotes.id());
    call.set_notify(1);
    call.set_symbol(hostlink::ToWire(u"EUR/USD"));
    call.set_kind(int32_t(hostsim::FeedKind::Quote));
    grpc::ClientContext context;
    context.set_deadline(std::chrono::system_clock::now() + std::chrono::seconds(60));
    auto stream = stub->Subscribe(&context, call);
    hoxlink::Records records;
    ASSERT_TRUE(stream->Read(&records));
    ASSERT_EQ(records.hr(), com::S_OK);

    // The desk reads nothing while the replay runs on as fast as it may.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    uint32_t next = 0;
    while (next < kRecords && stream->Read(&records))
        for (const auto& quote : records.quotes()) {
            ASSERT_EQ(quote.tick(), next);
            ++next;
        }
    EXPECT_EQ(next, kRecords) << stream->Finish().error_message();
    EXPECT_EQ(replayServer.Counters().SlowDesks, 0u);
    context.TryCancel();
    session.TryCancel();
}
