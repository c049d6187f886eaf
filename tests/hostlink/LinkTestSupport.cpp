#include "LinkTestSupport.h"

#include <chrono>
#include <filesystem>
#include <thread>

#include <stdlib.h>
#include <sys/stat.h>

namespace linktest {

TempFolder::TempFolder() {
    char pattern[] = "/tmp/hoxlink-XXXXXX";
    path_ = mkdtemp(pattern);
    chmod(path_.c_str(), 0700);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void PushSource::Start(hostsim::RecordSink& sink) {
    std::lock_guard guard(lock_);
    sink_ = &sink;
}

void PushSource::Stop() {
    std::lock_guard guard(lock_);
    sink_ = nullptr;
}

void PushSource::Watch(std::u16string_view symbol, hostsim::FeedKind kind, bool watched) {
    std::lock_guard guard(lock_);
    if (watched)
        watched_.emplace(symbol, kind);
    else
        watched_.erase({std::u16string(symbol), kind});
}

void PushSource::Push(const hox::QuoteRecord& record) {
    std::lock_guard guard(lock_);
    if (sink_) sink_->OnQuote(record);
}

void PushSource::Push(const hox::Level2Record& record) {
    std::lock_guard guard(lock_);
    if (sink_) sink_->OnLevel2(record);
}

bool PushSource::Watched(std::u16string_view symbol, hostsim::FeedKind kind) const {
    std::lock_guard guard(lock_);
    return watched_.count({std::u16string(symbol), kind}) > 0;
}

TestQuote::TestQuote(uint32_t tick, std::u16string_view name) : symbol(name) {
    r.bstrSymbol = symbol.get();
    r.bstrMarket = market.get();
    r.bstrCompany = company.get();
    r.bstrUnderlier = underlier.get();
    r.dBid = 1.08 + tick * 1e-5;
    r.dAsk = r.dBid + 0.00015;
    r.lBidSize = 500;
    r.lVolume = int32_t(tick * 100);
    r.UTCDateTime = 46000.5;
    r.tick = tick;
    r.putcall = 7;
}

void LinkTest::SetUp() {
    socket = folder.Path() + "/host.sock";
    auto pushed = std::make_unique<PushSource>();
    source = pushed.get();
    hostlink::ServerOptions serverOptions;
    serverOptions.SocketPath = socket;
    serverOptions.HealthIntervalMs = 0;
    serverOptions.LingerSeconds = 3600;
    serverOptions.ServerName = "test host";
    serverOptions.MaxQueuedRecords = 5000; // a desk falls that far behind in a test's time
    server = std::make_unique<hostlink::THostServer>(serverOptions, std::move(pushed));
    ASSERT_TRUE(server->Start());
    options.SocketPath = socket;
    options.CallTimeoutMs = 5000;
    hostlink::RegisterHostProxy(options);
}

void LinkTest::TearDown() {
    apartment.RunPosted();
    hostlink::RevokeHostProxy();
    server.reset();
}

com::ComPtr<hox::IHoxComMgr> LinkTest::CreateManager() {
    com::ComPtr<hox::IHoxComMgr> m;
    EXPECT_EQ(com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                                    hox::IID_IHoxComMgr, m.PutVoid()),
              com::S_OK)
        << com::TakeErrorInfo(com::RPC_E_DISCONNECTED);
    return m;
}

bool LinkTest::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds within) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (apartment.RunPosted() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace linktest
