// Parsing speed of each replay layout, and what a recording adds to the quote path.
#include "replay/Readers.h"
#include "replay/RecordingWriter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
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

// The cost of one quote written to a recording, flushes included.
void RecordQuote(benchmark::State& state) {
    const std::string path =
        "/tmp/bench_record_" + std::to_string(::getpid()) + (state.range(0) ? ".csv.gz" : ".csv");
    com::Bstr symbol(u"EUR/USD"), market(u"FX"), company(u"Euro / US Dollar"), underlier(u"EUR");
    {
        replay::RecordingWriter writer(path);
        int i = 0;
        for (auto _ : state) {
            writer.WriteQuote(SampleQuote(symbol, market, company, underlier, i),
                              replay::UnixNowUs());
            ++i;
        }
    }
    std::filesystem::remove(path);
}
BENCHMARK(RecordQuote)->Arg(0)->Arg(1);

} // namespace

BENCHMARK_MAIN();
