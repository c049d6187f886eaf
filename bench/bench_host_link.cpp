// The link between a desk and the host program over its Unix socket: a quote from the host's
// source to the desk's OnQuoteData, and calls through the proxies. The host's server runs in
// this process; the records and calls go through the socket as between two programs.
#include <benchmark/benchmark.h>

#include "HOXCOMLib_TLB.h"
#include "com/Com.h"
#include "host/RecordSource.h"
#include "hostlink/HostProxy.h"
#include "hostlink/HostServer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <mutex>
#include <vector>

#include <stdlib.h>

namespace {

using Clock = std::chrono::steady_clock;

class PushSource final : public hostsim::RecordSource {
public:
    void Start(hostsim::RecordSink& sink) override { sink_ = &sink; }
    void Stop() override { sink_ = nullptr; }
    void Watch(std::u16string_view, hostsim::FeedKind, bool) override {}
    void Push(const hox::QuoteRecord& record) { sink_.load()->OnQuote(record); }

private:
    std::atomic<hostsim::RecordSink*> sink_{nullptr};
};

// The desk's apartment: posted calls wait until the benchmark's thread runs them.
class Apartment {
public:
    void RunPosted() {
        std::deque<com::ApartmentCall> ready;
        {
            std::lock_guard guard(lock_);
            ready.swap(calls_);
        }
        for (auto& call : ready) call();
    }

private:
    std::mutex lock_;
    std::deque<com::ApartmentCall> calls_;
    com::TApartment apartment_{[this](com::ApartmentCall call) {
        std::lock_guard guard(lock_);
        calls_.push_back(std::move(call));
    }};
};

class Notify final : public hox::IHoxQuotesNotify {
public:
    com::HRESULT QueryInterface(const com::IID&, void** object) override {
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    com::ULONG AddRef() override { return 1; }
    com::ULONG Release() override { return 1; }
    com::HRESULT OnQuoteData(hox::QuoteRecord* r) override {
        lastTick = r->tick;
        return com::S_OK;
    }
    com::HRESULT OnLevel2Data(hox::Level2Record*) override { return com::S_OK; }
    com::HRESULT OnTSData(hox::TSRecord*) override { return com::S_OK; }
    com::HRESULT OnOptionsData(hox::OptionsRecord*) override { return com::S_OK; }
    uint32_t lastTick = 0;
};

// A host serving a socket of its own, and a desk subscribed to EUR/USD quotes through it.
struct Desk {
    Desk() {
        char pattern[] = "/tmp/hoxbench-XXXXXX";
        folder = mkdtemp(pattern);
        hostlink::ServerOptions options;
        options.SocketPath = folder + "/host.sock";
        options.HealthIntervalMs = 0;
        auto pushed = std::make_unique<PushSource>();
        source = pushed.get();
        server = std::make_unique<hostlink::THostServer>(options, std::move(pushed));
        server->Start();
        hostlink::ProxyOptions proxy;
        proxy.SocketPath = options.SocketPath;
        hostlink::RegisterHostProxy(proxy);
        com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                              hox::IID_IHoxComMgr, manager.PutVoid());
        manager->GetQuotes(quotes.Put());
        quotes->Subscribe(&notify, symbol.get(), 2);
    }
    ~Desk() {
        quotes->Unsubscribe(&notify);
        quotes.Reset();
        manager.Reset();
        apartment.RunPosted();
        hostlink::RevokeHostProxy();
        server.reset();
        std::filesystem::remove_all(folder);
    }

    std::string folder;
    PushSource* source = nullptr;
    std::unique_ptr<hostlink::THostServer> server;
    Apartment apartment;
    Notify notify;
    com::Bstr symbol{u"EUR/USD"};
    com::ComPtr<hox::IHoxComMgr> manager;
    com::ComPtr<hox::IHoxQuotes> quotes;
};

// One quote at a time from the source's push to the desk's OnQuoteData on its thread.
void BM_HostQuoteLatency(benchmark::State& state) {
    Desk desk;
    com::Bstr market(u"FX"), company(u"Euro"), underlier(u"EUR");
    hox::QuoteRecord r{};
    r.bstrSymbol = desk.symbol.get();
    r.bstrMarket = market.get();
    r.bstrCompany = company.get();
    r.bstrUnderlier = underlier.get();
    r.dBid = 1.0834;
    std::vector<double> micros;
    micros.reserve(size_t(state.max_iterations));
    for (auto _ : state) {
        ++r.tick;
        const auto start = Clock::now();
        desk.source->Push(r);
        while (desk.notify.lastTick != r.tick) desk.apartment.RunPosted();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
}
BENCHMARK(BM_HostQuoteLatency)->UseRealTime()->Iterations(20000);

// Subscribe through the proxy: the call, the host's answer and the stream it opens; the
// matching Unsubscribe is timed with it.
void BM_HostCallRoundTrip(benchmark::State& state) {
    Desk desk;
    com::ComPtr<hox::IHoxQuotes> quotes;
    desk.manager->GetQuotes(quotes.Put());
    Notify other;
    for (auto _ : state) {
        quotes->Subscribe(&other, desk.symbol.get(), 1);
        quotes->Unsubscribe(&other);
    }
}
BENCHMARK(BM_HostCallRoundTrip)->UseRealTime();

// A call with no stream: GetLoggedOn.
void BM_HostCallRoundTripUnary(benchmark::State& state) {
    Desk desk;
    com::VARIANT_BOOL loggedOn = 0;
    for (auto _ : state) desk.manager->GetLoggedOn(&loggedOn);
}
BENCHMARK(BM_HostCallRoundTripUnary)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
