// Parsing speed of each replay layout, a replay as fast as possible into the window, and what a
// recording adds to the window's quote path.
#include "BenchWindow.h"
#include "FeedCounters.h"

#include "replay/Readers.h"
#include "replay/RecordingWriter.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

constexpr int Lines = 200000;

hox::QuoteRecord SampleQuote(const com::Bstr& symbol, const com::Bstr& market,
                             const com::Bstr& company, const com::Bstr& underlier, int i) {
    return {symbol.get(),
            market.get(),
            company.get(),
            underlier.get(),
            1.08123 + i * 1e-5,
            1.08121 + i * 1e-5,
            1.08133 + i * 1e-5,
            1.0795,
            1.0901,
            1.0702,
            1.0811,
            50,
            0,
            100 * (1 + i % 50),
            100 * (1 + i % 37),
            300,
            12345600 + i,
            0,
            1000,
            0,
            0,
            46000.5 + i * 3e-6,
            uint32_t(i),
            0};
}

// A recording of Lines quotes and Level 2 entries, one of each in turn.
std::string MakeRecording() {
    const std::string path = "/tmp/bench_replay_" + std::to_string(::getpid()) + ".csv";
    com::Bstr symbol(u"EUR/USD"), market(u"FX"), company(u"Euro / US Dollar"), underlier(u"EUR"),
        mmid(u"MM3"), source(u"ECN");
    {
        replay::RecordingWriter writer(path);
        for (int i = 0; i < Lines; ++i) {
            if (i % 2) {
                hox::Level2Record l{symbol.get(),
                                    mmid.get(),
                                    source.get(),
                                    100 * (i % 40),
                                    1.0812 + i * 1e-5,
                                    uint32_t(i % 2),
                                    0,
                                    46000.5 + i * 3e-6};
                writer.WriteLevel2(l, 1700000000000000 + int64_t(i) * 250000);
            } else {
                writer.WriteQuote(SampleQuote(symbol, market, company, underlier, i),
                                  1700000000000000 + int64_t(i) * 250000);
            }
        }
    }
    std::ostringstream bytes;
    bytes << std::ifstream(path).rdbuf();
    std::filesystem::remove(path);
    return bytes.str();
}

std::string MakeTicks(int layout) {
    std::string text = layout == 0   ? "Gmt time,Ask,Bid,AskVolume,BidVolume\n"
                       : layout == 2 ? "timestamp,bid,ask,bid_size,ask_size\n"
                                     : "";
    char line[128];
    for (int i = 0; i < Lines; ++i) {
        const int s = i / 10 % 60, ms = i % 10 * 100, m = i / 600 % 60, h = i / 36000 % 24;
        const double bid = 1.0812 + (i % 97) * 1e-5, ask = bid + 0.00012;
        if (layout == 0)
            std::snprintf(line, sizeof line, "04.12.1998 %02d:%02d:%02d.%03d,%.5f,%.5f,%.2f,%.2f\n",
                          h, m, s, ms, ask, bid, 1.5, 0.75);
        else if (layout == 1)
            std::snprintf(line, sizeof line, "19981204 %02d%02d%02d%03d,%.5f,%.5f,0\n", h, m, s, ms,
                          bid, ask);
        else
            std::snprintf(line, sizeof line, "1998-12-04T%02d:%02d:%02d.%03dZ,%.5f,%.5f,3,4\n", h,
                          m, s, ms, bid, ask);
        text += line;
    }
    return text;
}

// Arg: 0 recording, 1 Gmt time header, 2 no header, 3 ISO header.
void ReplayParse(benchmark::State& state) {
    const int layout = int(state.range(0));
    const std::string bytes = layout == 0 ? MakeRecording() : MakeTicks(layout - 1);
    std::ostringstream log;
    int64_t records = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string copy = bytes;
        state.ResumeTiming();
        auto reader = replay::OpenReader(replay::MemoryInput(std::move(copy)), "bench", {}, log);
        for (replay::Record r; reader->Next(r);) ++records;
        if (reader->Skipped() != 0) state.SkipWithError("lines skipped");
    }
    state.SetItemsProcessed(records);
    state.SetLabel(layout == 0   ? "recording"
                   : layout == 1 ? "gmt-time"
                   : layout == 2 ? "compact"
                                 : "iso");
}
BENCHMARK(ReplayParse)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// A folder of its own under the temporary folder, removed with what it holds.
struct TempFolder {
    std::filesystem::path path;
    TempFolder() {
        std::string name =
            (std::filesystem::temp_directory_path() / "bench_replay_XXXXXX").string();
        if (!mkdtemp(name.data())) std::abort();
        path = name;
    }
    ~TempFolder() { std::filesystem::remove_all(path); }
};

// The window's quote path, OnQuoteData with its charts and tagging run, without a recording
// (0), with a plain one (1) and with a gzip one (2): the cost of recording is the difference.
// They run in this order, as the window keeps the recording it started.
void RecordQuote(benchmark::State& state) {
    static TempFolder folder;
    BenchWindow& w = TheWindow();
    if (state.range(0) > 0)
        w.form->StartRecording(
            (folder.path / (state.range(0) == 1 ? "q.csv" : "q.csv.gz")).string());
    com::Bstr symbol(u"EUR/USD"), market(u"FX"), company(u"Euro / US Dollar"), underlier(u"EUR");
    int i = 0;
    for (auto _ : state) {
        hox::QuoteRecord q = SampleQuote(symbol, market, company, underlier, i);
        w.form->OnQuoteData(&q);
        if (++i % 64 == 0) QCoreApplication::processEvents(); // the tagging runs' hops
    }
    w.form->Workers().WaitForWorkers();
    QCoreApplication::processEvents();
    state.SetLabel(state.range(0) == 0 ? "off" : state.range(0) == 1 ? "plain" : "gzip");
}
BENCHMARK(RecordQuote)->DenseRange(0, 2)->Iterations(5000)->Unit(benchmark::kMicrosecond);

// What the quote path adds with a recording on, alone: one quote handed to the writer, its
// flushes included; plain (0) or gzip (1).
void RecordQuote_WriterAlone(benchmark::State& state) {
    TempFolder folder;
    const std::string path = (folder.path / (state.range(0) ? "q.csv.gz" : "q.csv")).string();
    com::Bstr symbol(u"EUR/USD"), market(u"FX"), company(u"Euro / US Dollar"), underlier(u"EUR");
    replay::RecordingWriter writer(path);
    int i = 0;
    for (auto _ : state) {
        writer.WriteQuote(SampleQuote(symbol, market, company, underlier, i), replay::UnixNowUs());
        ++i;
    }
    state.SetLabel(state.range(0) ? "gzip" : "plain");
}
BENCHMARK(RecordQuote_WriterAlone)->Arg(0)->Arg(1);

// Arg quotes recorded (outside the timing), then replayed by the embedded host as fast as
// possible into the window until the last one is in the grid: records a second, wall time,
// and the process's peak resident memory.
void ReplayMaxSpeed(benchmark::State& state) {
    const int64_t quotes = state.range(0);
    BenchWindow& w = TheWindow();
    TempFolder folder;
    const std::string path = (folder.path / "quotes.csv").string();
    {
        replay::RecordingWriter writer(path);
        com::Bstr symbol(u"EUR/USD"), market(u"FX"), company(u"Euro / US Dollar"),
            underlier(u"EUR");
        for (int64_t i = 0; i < quotes; ++i)
            writer.WriteQuote(SampleQuote(symbol, market, company, underlier, int(i)),
                              1700000000000000 + i * 250000);
    }
    std::ostringstream log;
    for (auto _ : state) {
        state.PauseTiming();
        if (w.form->Button2->isEnabled()) w.form->Button2Click(); // unsubscribed
        hostsim::RevokeSimulatedHost();
        hostsim::HostOptions options;
        options.HealthIntervalMs = 0;
        options.Replay.files = {path};
        options.Replay.play.asFastAsPossible = true;
        hostsim::RegisterSimulatedHost(options, &log);
        const int32_t until = FeedCounters.QuoteRows + int32_t(quotes);
        w.form->Edit34->SetText("u");
        w.form->Edit35->SetText("p");
        w.form->Edit36->SetText("1");
        state.ResumeTiming();
        w.form->Button1Click(); // subscribes: the replay begins
        while (FeedCounters.QuoteRows < until)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        state.PauseTiming();
        w.form->Workers().WaitForWorkers();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["records_per_s"] =
        benchmark::Counter(double(quotes), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024;
    hostsim::RevokeSimulatedHost();
}
// HOXDESK_REPLAY_QUOTES=1000000 replays a million quotes; the default 100,000 take about 8 s,
// nearly all of it the window's quote path, so one run is made whatever the repetitions asked.
int64_t ReplayQuotes() {
    const char* quotes = std::getenv("HOXDESK_REPLAY_QUOTES");
    return quotes && std::atoll(quotes) > 0 ? std::atoll(quotes) : 100000;
}
BENCHMARK(ReplayMaxSpeed)
    ->Arg(ReplayQuotes())
    ->Iterations(1)
    ->Repetitions(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarksAndEndTheWindow(argc, argv);
}
