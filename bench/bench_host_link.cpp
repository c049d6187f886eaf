// The link between a desk and the host program over its Unix socket: a quote from the host's
// source to the desk's OnQuoteData, and calls through the proxies. The host's server runs in
// this process; the records and calls go through the socket as between two programs.
#include <benchmark/benchmark.h>

#include "FeedCounters.h"
#include "HOXCOMLib_TLB.h"
#include "app/Unit1.h"
#include "com/Com.h"
#include "host/RecordSource.h"
#include "hostlink/HostProxy.h"
#include "hostlink/HostServer.h"
#include "rtl/DateTime.h"
#include "toolkit/Application.h"
#include "toolkit/MessageBox.h"
#include "toolkit/PanelWidget.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTabBar>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

bool FullRuns() {
    const char* full = getenv("HOXBENCH_FULL");
    return full && *full && *full != '0';
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

class PushSource final : public hostsim::RecordSource {
public:
    void Start(hostsim::RecordSink& sink) override { sink_ = &sink; }
    void Stop() override { sink_ = nullptr; }
    void Watch(std::u16string_view, hostsim::FeedKind, bool) override {}
    void Push(const hox::QuoteRecord& record) { sink_.load()->OnQuote(record); }

private:
    std::atomic<hostsim::RecordSink*> sink_{nullptr};
};

// The desk's apartment: posted calls wait until the benchmark's thread runs them. Its thread
// sleeps in poll while nothing waits, as a window's message loop does, and like the window's it
// watches the descriptors the link asks it to, so the link's session is read on this thread.
class Apartment {
public:
    Apartment() = default;
    ~Apartment() { close(wake_); }

    void RunPosted() {
        std::deque<com::ApartmentCall> ready;
        {
            std::lock_guard guard(lock_);
            ready.swap(calls_);
        }
        for (auto& call : ready) call();
    }
    // Waits for a posted call or a watched descriptor that can be read, and runs what is ready.
    void WaitAndRunPosted() {
        std::vector<std::shared_ptr<Watch>> watches;
        {
            std::lock_guard guard(lock_);
            std::erase_if(watches_, [](const auto& w) { return !w->alive; });
            watches = watches_;
        }
        std::vector<pollfd> polled{{wake_, POLLIN, 0}};
        for (const auto& w : watches) polled.push_back({w->fd, POLLIN, 0});
        poll(polled.data(), polled.size(), -1);
        if (polled[0].revents & POLLIN) {
            uint64_t count;
            [[maybe_unused]] auto n = read(wake_, &count, sizeof count);
        }
        RunPosted();
        for (size_t i = 0; i < watches.size(); ++i)
            if ((polled[i + 1].revents & (POLLIN | POLLHUP | POLLERR)) && watches[i]->alive)
                watches[i]->onReadable();
    }

private:
    struct Watch {
        int fd = -1;
        com::ApartmentCall onReadable;
        std::atomic<bool> alive{true};
    };
    std::mutex lock_;
    std::deque<com::ApartmentCall> calls_;
    std::vector<std::shared_ptr<Watch>> watches_;
    const int wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    com::TApartment apartment_{
        [this](com::ApartmentCall call) {
            {
                std::lock_guard guard(lock_);
                calls_.push_back(std::move(call));
            }
            const uint64_t one = 1;
            [[maybe_unused]] auto n = write(wake_, &one, sizeof one);
        },
        [this](int fd, com::ApartmentCall onReadable) {
            auto watch = std::make_shared<Watch>();
            watch->fd = fd;
            watch->onReadable = std::move(onReadable);
            std::lock_guard guard(lock_);
            watches_.push_back(watch);
            return com::ApartmentWatch(watch.get(), [watch](void*) { watch->alive = false; });
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

// One quote at a time from the source's push, on a thread of its own as the host's source
// has, to the desk's OnQuoteData on the desk's thread.
void BM_HostQuoteLatency(benchmark::State& state) {
    Desk desk;
    com::Bstr market(u"FX"), company(u"Euro"), underlier(u"EUR");
    hox::QuoteRecord r{};
    r.bstrSymbol = desk.symbol.get();
    r.bstrMarket = market.get();
    r.bstrCompany = company.get();
    r.bstrUnderlier = underlier.get();
    r.dBid = 1.0834;
    std::mutex lock;
    std::condition_variable wake;
    uint32_t due = 0; // the tick the source pushes next; under lock
    bool stop = false;
    std::atomic<Clock::rep> pushedAt{0};
    std::thread source([&] {
        std::unique_lock lk(lock);
        for (;;) {
            wake.wait(lk, [&] { return stop || due != r.tick; });
            if (stop) return;
            r.tick = due;
            pushedAt = Clock::now().time_since_epoch().count();
            desk.source->Push(r);
        }
    });
    std::vector<double> micros;
    micros.reserve(size_t(state.max_iterations));
    uint32_t tick = 0;
    for (auto _ : state) {
        {
            std::lock_guard guard(lock);
            due = ++tick;
        }
        wake.notify_one();
        while (desk.notify.lastTick != tick) desk.apartment.WaitAndRunPosted();
        const auto arrived = Clock::now().time_since_epoch().count();
        micros.push_back(
            std::chrono::duration<double, std::micro>(Clock::duration(arrived - pushedAt)).count());
    }
    {
        std::lock_guard guard(lock);
        stop = true;
    }
    wake.notify_one();
    source.join();
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
}
BENCHMARK(BM_HostQuoteLatency)->UseRealTime()->Iterations(20000);

// Subscribe through the proxy: the call, the host's answer and the stream it opens. The
// matching Unsubscribe runs outside the timed part.
void BM_HostCallRoundTrip(benchmark::State& state) {
    Desk desk;
    com::ComPtr<hox::IHoxQuotes> quotes;
    desk.manager->GetQuotes(quotes.Put());
    Notify other;
    for (auto _ : state) {
        quotes->Subscribe(&other, desk.symbol.get(), 1);
        state.PauseTiming();
        quotes->Unsubscribe(&other);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_HostCallRoundTrip)->UseRealTime();

// Unsubscribe through the proxy, the Subscribe before it outside the timed part.
void BM_HostUnsubscribeRoundTrip(benchmark::State& state) {
    Desk desk;
    com::ComPtr<hox::IHoxQuotes> quotes;
    desk.manager->GetQuotes(quotes.Put());
    Notify other;
    for (auto _ : state) {
        state.PauseTiming();
        quotes->Subscribe(&other, desk.symbol.get(), 1);
        state.ResumeTiming();
        quotes->Unsubscribe(&other);
    }
}
BENCHMARK(BM_HostUnsubscribeRoundTrip)->UseRealTime();

// A call with no stream: GetLoggedOn.
void BM_HostCallRoundTripUnary(benchmark::State& state) {
    Desk desk;
    com::VARIANT_BOOL loggedOn = 0;
    for (auto _ : state) desk.manager->GetLoggedOn(&loggedOn);
}
BENCHMARK(BM_HostCallRoundTripUnary)->UseRealTime();

// The processor seconds a process used so far, from /proc.
double ProcessCpuSeconds(pid_t pid) {
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return 0;
    char text[1024] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    text[n] = 0;
    // The fields after the command's closing parenthesis; utime and stime are 14th and 15th.
    const char* p = std::strrchr(text, ')');
    unsigned long utime = 0, stime = 0;
    if (!p || std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime,
                          &stime) != 2)
        return 0;
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

// A desk on a thread of its own with its own apartment, subscribed to the quotes of the given
// symbols. It checks every record's tick against the one before: ticks count each symbol's
// records on the host, so a gap is a lost record and a step back a repeated one.
class CountingDesk final : public hox::IHoxQuotesNotify {
public:
    CountingDesk(const std::vector<std::u16string>& symbols) : symbols_(symbols.size()) {
        for (size_t i = 0; i < symbols.size(); ++i) symbols_[i].name = symbols[i];
        thread_ = std::thread([this] { Run(); });
        std::unique_lock lk(lock_);
        wake_.wait(lk, [&] { return state_ != State::Starting; });
    }
    ~CountingDesk() {
        {
            std::lock_guard guard(lock_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    bool Subscribed() const { return state_ == State::Subscribed; }

    // The newest tick of symbol i this desk has seen.
    uint32_t LastTick(size_t i) {
        std::lock_guard guard(lock_);
        return symbols_[i].last;
    }
    // Records lost (missed ticks, and those short of lastTick at the end) and repeated.
    uint64_t Lost(size_t i, uint32_t lastTick) {
        std::lock_guard guard(lock_);
        const SymbolCount& s = symbols_[i];
        return s.missed + (s.last < lastTick ? lastTick - s.last : 0);
    }
    uint64_t Repeated() {
        std::lock_guard guard(lock_);
        uint64_t n = 0;
        for (const auto& s : symbols_) n += s.repeated;
        return n;
    }
    uint64_t Received() {
        std::lock_guard guard(lock_);
        uint64_t n = 0;
        for (const auto& s : symbols_) n += s.received;
        return n;
    }

    com::HRESULT QueryInterface(const com::IID&, void** object) override {
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    com::ULONG AddRef() override { return 1; }
    com::ULONG Release() override { return 1; }
    // Desk thread, under lock_ (taken by the loop that runs the posted calls).
    com::HRESULT OnQuoteData(hox::QuoteRecord* r) override {
        const std::u16string_view symbol = com::BstrView(r->bstrSymbol);
        for (auto& s : symbols_) {
            if (s.name != symbol) continue;
            ++s.received;
            if (s.last && r->tick <= s.last)
                ++s.repeated;
            else if (s.last)
                s.missed += r->tick - s.last - 1;
            s.last = std::max(s.last, r->tick);
        }
        return com::S_OK;
    }
    com::HRESULT OnLevel2Data(hox::Level2Record*) override { return com::S_OK; }
    com::HRESULT OnTSData(hox::TSRecord*) override { return com::S_OK; }
    com::HRESULT OnOptionsData(hox::OptionsRecord*) override { return com::S_OK; }

private:
    struct SymbolCount {
        std::u16string name;
        uint32_t last = 0;
        uint64_t received = 0, missed = 0, repeated = 0;
    };
    enum class State { Starting, Subscribed, Failed };

    void Run() {
        std::unique_lock lk(lock_);
        com::TApartment apartment([this](com::ApartmentCall call) {
            {
                std::lock_guard guard(lock_);
                calls_.push_back(std::move(call));
            }
            wake_.notify_all();
        });
        lk.unlock();
        com::ComPtr<hox::IHoxComMgr> manager;
        com::ComPtr<hox::IHoxQuotes> quotes;
        com::HRESULT hr = com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                                                hox::IID_IHoxComMgr, manager.PutVoid());
        if (com::SUCCEEDED(hr)) hr = manager->GetQuotes(quotes.Put());
        for (size_t i = 0; i < symbols_.size() && com::SUCCEEDED(hr); ++i)
            hr = quotes->Subscribe(this, com::Bstr(symbols_[i].name).get(), 2);
        lk.lock();
        state_ = com::SUCCEEDED(hr) ? State::Subscribed : State::Failed;
        wake_.notify_all();
        while (!stop_) {
            wake_.wait(lk, [&] { return stop_ || !calls_.empty(); });
            std::deque<com::ApartmentCall> ready;
            ready.swap(calls_);
            for (auto& call : ready) call(); // under lock_: the counts change with the calls
        }
        lk.unlock();
        if (quotes) quotes->Unsubscribe(this);
        quotes.Reset();
        manager.Reset();
        lk.lock();
        for (auto& call : calls_) call();
        calls_.clear();
    }

    std::vector<SymbolCount> symbols_;
    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<com::ApartmentCall> calls_;
    State state_ = State::Starting;
    bool stop_ = false;
    std::thread thread_;
};

// The host program (hoxhost, started as a process of its own) feeding 50,000 records a second,
// the quotes of two symbols at 25,000 each, to four desks in this process, each subscribed to
// both. Counters: the records each desk missed or got twice (all four desks together; the
// goal is none), the records each desk got per second, and the processor share of the host
// program and of the four desks' process (1 is one core, whole).
void BM_HostFanout4Desks(benchmark::State& state) {
    const auto runFor = std::chrono::seconds(state.range(0));
    char pattern[] = "/tmp/hoxbench-XXXXXX";
    const std::string folder = mkdtemp(pattern);
    const std::string socket = folder + "/host.sock";
    std::vector<std::string> args = {
        HOX_HOSTPROGRAM,     "--socket", socket, "--rate", "25000", "--linger", "2",
        "--health-interval", "0"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t host = 0;
    if (posix_spawn(&host, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        state.SkipWithError("cannot start the host program");
        return;
    }
    for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    hostlink::ProxyOptions proxy;
    proxy.SocketPath = socket;
    hostlink::RegisterHostProxy(proxy);
    const std::vector<std::u16string> symbols = {u"EUR/USD", u"USD/JPY"};
    double lost = 0, repeated = 0, perDesk = 0, hostShare = 0, deskShare = 0;
    for (auto _ : state) {
        std::vector<std::unique_ptr<CountingDesk>> desks;
        for (int d = 0; d < 4; ++d) desks.push_back(std::make_unique<CountingDesk>(symbols));
        if (!std::all_of(desks.begin(), desks.end(), [](auto& d) { return d->Subscribed(); })) {
            state.SkipWithError("a desk could not subscribe");
            break;
        }
        std::vector<uint64_t> received(desks.size());
        for (size_t d = 0; d < desks.size(); ++d) received[d] = desks[d]->Received();
        const double hostCpu = ProcessCpuSeconds(host), deskCpu = ProcessCpuSeconds(getpid());
        const auto start = Clock::now();
        std::this_thread::sleep_for(runFor);
        const double wall = Seconds(Clock::now() - start);
        hostShare += (ProcessCpuSeconds(host) - hostCpu) / wall;
        deskShare += (ProcessCpuSeconds(getpid()) - deskCpu) / wall;
        for (size_t d = 0; d < desks.size(); ++d)
            perDesk += double(desks[d]->Received() - received[d]) / wall / double(desks.size());
        // Every desk must come to the newest record any desk had at the end.
        for (size_t i = 0; i < symbols.size(); ++i) {
            uint32_t newest = 0;
            for (auto& d : desks) newest = std::max(newest, d->LastTick(i));
            const auto deadline = Clock::now() + std::chrono::seconds(2);
            for (auto& d : desks)
                while (d->LastTick(i) < newest && Clock::now() < deadline)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            for (auto& d : desks) lost += double(d->Lost(i, newest));
        }
        for (auto& d : desks) repeated += double(d->Repeated());
    }
    hostlink::RevokeHostProxy();
    kill(host, SIGTERM);
    waitpid(host, nullptr, 0);
    std::filesystem::remove_all(folder);
    const double runs = double(state.iterations());
    state.counters["records_lost"] = lost;
    state.counters["records_repeated"] = repeated;
    state.counters["records_per_s_per_desk"] = perDesk / runs;
    state.counters["host_cpu_share"] = hostShare / runs;
    state.counters["desks_cpu_share"] = deskShare / runs;
}
BENCHMARK(BM_HostFanout4Desks)
    ->Arg(FullRuns() ? 10 : 2)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// A source of a paced mix for one symbol, once its quotes and Level 2 are both watched: a
// quote, then three Level 2 entries (all opening, bid and ask in turn, from eight market
// makers), ratePerSecond records a second in all, paced by the records due.
class PacedSource final : public hostsim::RecordSource {
public:
    explicit PacedSource(double ratePerSecond) : rate_(ratePerSecond) {
        r_.bstrSymbol = symbol_.get();
        r_.bstrMarket = market_.get();
        r_.bstrCompany = company_.get();
        r_.bstrUnderlier = underlier_.get();
        r_.dLast = 1.08351;
        r_.dPrevClose = 1.0812;
        r_.dHigh = 1.0871;
        r_.dLow = 1.0799;
        r_.dOpen = 1.0815;
        r_.dMarginMult = 50;
        r_.lLastSize = 1000000;
        r_.lContractSize = 100000;
        r_.UTCDateTime = rtl::EncodeDate(2026, 12, 4) + rtl::EncodeTime(9, 0, 0, 0);
        l2_.bstrSymbol = symbol_.get();
        l2_.bstrSource = source_.get();
        for (int i = 0; i < 8; ++i) makers_.emplace_back(u"MM" + std::u16string(1, u'A' + i));
    }
    ~PacedSource() override { Stop(); }
    void Start(hostsim::RecordSink& sink) override {
        thread_ = std::thread([this, &sink] { Run(sink); });
    }
    void Stop() override {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    void Watch(std::u16string_view, hostsim::FeedKind kind, bool watched) override {
        (kind == hostsim::FeedKind::Quote ? quotes_ : level2_) = watched;
    }
    // Pushes from now on, or no more.
    void SetRunning(bool running) { running_ = running; }
    uint64_t Pushed() const { return pushed_; }

private:
    void Run(hostsim::RecordSink& sink) {
        const auto period = std::chrono::duration<double>(1.0 / rate_);
        Clock::time_point start;
        bool was = false;
        while (!stop_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const bool on = running_ && quotes_ && level2_;
            if (on && !was) start = Clock::now();
            was = on;
            if (!on) continue;
            const int64_t due = int64_t((Clock::now() - start) / period) - int64_t(pushed_);
            for (int64_t k = 0; k < due; ++k) {
                const uint64_t i = pushed_;
                if (i % 4 == 0) {
                    r_.dBid = 1.08345 + double(i % 97) * 0.00001;
                    r_.dAsk = r_.dBid + 0.00012;
                    r_.lBidSize = 1000000 + int32_t(i % 13) * 250000;
                    r_.lAskSize = 1000000 + int32_t(i % 7) * 500000;
                    r_.lVolume = int32_t(150000000 + i);
                    r_.tick = uint32_t(i / 4 + 1);
                    r_.UTCDateTime += 0.25 / 86400;
                    sink.OnQuote(r_);
                } else {
                    l2_.bstrMMID = makers_[i % makers_.size()].get();
                    l2_.side = uint32_t(i % 2);
                    l2_.dPrice = r_.dBid + double(i % 5) * 0.00001;
                    l2_.lSize = int32_t(100000 * (1 + i % 9));
                    l2_.UTCTime = r_.UTCDateTime;
                    sink.OnLevel2(l2_);
                }
                ++pushed_;
            }
        }
    }

    const double rate_;
    com::Bstr symbol_{u"EUR/USD"}, market_{u"FX"}, company_{u"Euro / US Dollar"},
        underlier_{u"EUR"}, source_{u"ECN"};
    std::vector<com::Bstr> makers_;
    hox::QuoteRecord r_{};
    hox::Level2Record l2_{};
    std::atomic<bool> stop_{false}, running_{false}, quotes_{false}, level2_{false};
    std::atomic<uint64_t> pushed_{0};
    std::thread thread_;
};

// The window whose quote handler is timed, in wall time and in the window thread's processor
// time, from the call into the window to its return (the four chart refills, the grid and the
// edits, the tagging run started).
class TimedWindow final : public TForm1 {
public:
    com::HRESULT OnQuoteData(hox::QuoteRecord* record) override {
        const double cpu = ThreadCpuSeconds();
        const auto start = Clock::now();
        const com::HRESULT hr = TForm1::OnQuoteData(record);
        if (timing) {
            wallMicros.push_back(
                std::chrono::duration<double, std::micro>(Clock::now() - start).count());
            cpuMicros.push_back((ThreadCpuSeconds() - cpu) * 1e6);
        }
        return hr;
    }
    bool timing = false;
    std::vector<double> wallMicros, cpuMicros;
};

double Median(std::vector<double>& values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// The window fed through the link: 20,000 records a second, a quarter of them quotes, from a
// host's server over its Unix socket to the window's handlers, for 3 s (30 s in full runs),
// the charts' page on screen half of the time. Every 250 ms a click on a tab (a mouse press and
// release at the tab's middle) is posted to the tab bar behind what the host has posted; its
// answer is the time until the page changed and, for the charts' page, its first chart was
// painted. Counters: records lost (pushed but not in the window's grids once the feed stopped
// and the window caught up; the goal is none), the slowest and the median answer to a click
// (the goal: within 100 ms), the window thread's processor share and time per record, and the
// median quote through the window's handler with its four chart refills, wall and processor.
void BM_HostToWindow20k(benchmark::State& state) {
    const auto runFor = std::chrono::seconds(state.range(0));
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int argc = 1;
    char name[16] = "bench";
    char* argv[2] = {name, nullptr};
    tk::TApplication app(argc, argv);
    tk::SetMessagePresenter([](const std::string&) {});
    char pattern[] = "/tmp/hoxbench-XXXXXX";
    const std::string folder = mkdtemp(pattern);
    hostlink::ServerOptions options;
    options.SocketPath = folder + "/host.sock";
    options.HealthIntervalMs = 0;
    auto paced = std::make_unique<PacedSource>(20000);
    PacedSource& source = *paced;
    hostlink::THostServer server(options, std::move(paced));
    server.Start();
    hostlink::ProxyOptions proxy;
    proxy.SocketPath = options.SocketPath;
    hostlink::RegisterHostProxy(proxy);
    double lost = 0, cpuShare = 0, cpuPerRecord = 0, quoteWall = 0, quoteCpu = 0;
    std::vector<double> answers;
    {
        TimedWindow form;
        if (!form.Create()) std::abort();
        form.Edit4->SetText("EUR/USD");
        form.Edit34->SetText("bench");
        form.Edit35->SetText("secret");
        form.Edit36->SetText("1234");
        form.Button1Click();
        form.show();
        QTabBar* tabs = form.PageControl1->findChild<QTabBar*>();
        auto received = [] {
            return uint64_t(FeedCounters.QuoteRows) + uint64_t(FeedCounters.BidRows) +
                   uint64_t(FeedCounters.AskRows);
        };
        for (auto _ : state) {
            const uint64_t pushedBefore = source.Pushed(), receivedBefore = received();
            const double cpu = ThreadCpuSeconds();
            const auto start = Clock::now();
            source.SetRunning(true);
            form.timing = true;
            auto nextClick = start + std::chrono::milliseconds(250);
            int wanted = -1, paints = 0;
            Clock::time_point clicked;
            while (Clock::now() - start < runFor) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                const auto now = Clock::now();
                if (wanted >= 0 && form.PageControl1->currentIndex() == wanted &&
                    (wanted != 2 || form.ChartView1->ClientPaints() > paints)) {
                    answers.push_back(
                        std::chrono::duration<double, std::milli>(now - clicked).count());
                    wanted = -1;
                }
                if (wanted < 0 && now >= nextClick) {
                    wanted = form.PageControl1->currentIndex() == 2 ? 0 : 2;
                    paints = form.ChartView1->ClientPaints();
                    const QPointF at = tabs->tabRect(wanted).center();
                    clicked = now;
                    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
                        QCoreApplication::postEvent(
                            tabs, new QMouseEvent(type, at, tabs->mapToGlobal(at), Qt::LeftButton,
                                                  type == QEvent::MouseButtonPress ? Qt::LeftButton
                                                                                   : Qt::NoButton,
                                                  Qt::NoModifier));
                    nextClick = now + std::chrono::milliseconds(250);
                }
            }
            source.SetRunning(false);
            form.timing = false;
            const double wall = Seconds(Clock::now() - start);
            cpuShare += (ThreadCpuSeconds() - cpu) / wall;
            // The window catches up with what the host sent.
            const uint64_t pushed = source.Pushed() - pushedBefore;
            const auto deadline = Clock::now() + std::chrono::seconds(30);
            while (received() - receivedBefore < pushed && Clock::now() < deadline)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            cpuPerRecord +=
                (ThreadCpuSeconds() - cpu) * 1e6 / double(std::max<uint64_t>(pushed, 1));
            lost += double(pushed - std::min(pushed, received() - receivedBefore));
        }
        quoteWall = Median(form.wallMicros);
        quoteCpu = Median(form.cpuMicros);
        form.hide();
        form.Button2Click();
        form.Workers().WaitForWorkers();
    }
    hostlink::RevokeHostProxy();
    server.Shutdown();
    std::filesystem::remove_all(folder);
    std::sort(answers.begin(), answers.end());
    const double runs = double(state.iterations());
    state.counters["records_lost"] = lost;
    state.counters["click_answers"] = double(answers.size());
    state.counters["click_median_ms"] = answers.empty() ? 0 : answers[answers.size() / 2];
    state.counters["click_slowest_ms"] = answers.empty() ? 0 : answers.back();
    state.counters["window_cpu_share"] = cpuShare / runs;
    state.counters["window_cpu_us_per_record"] = cpuPerRecord / runs;
    state.counters["quote_median_us"] = quoteWall;
    state.counters["quote_median_cpu_us"] = quoteCpu;
}
BENCHMARK(BM_HostToWindow20k)
    ->Arg(FullRuns() ? 30 : 3)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
