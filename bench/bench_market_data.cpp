// The quote and Level 2 paths of the window at the sizes of a whole trading day.
#include "BenchWindow.h"
#include "FeedCounters.h"
#include "NewsDownload.h"
#include "app/Unit1.h"

#include "com/Bstr.h"
#include "host/HostControl.h"
#include "host/SimulatedHost.h"
#include "rtl/DateTime.h"
#include "rtl/NumberText.h"
#include "toolkit/Application.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Thread.h"
#include "workers/NewsTags.h"
#include "workers/Unit2.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

using Window = BenchWindow;

struct QuoteSource {
    com::Bstr symbol{u"EUR/USD"}, market{u"FX"}, company{u"Euro / US Dollar"}, underlier{u"EUR"};
    hox::QuoteRecord r{};
    QuoteSource() {
        r.bstrSymbol = symbol.get();
        r.bstrMarket = market.get();
        r.bstrCompany = company.get();
        r.bstrUnderlier = underlier.get();
        r.dLast = 1.08351;
        r.dPrevClose = 1.0812;
        r.dHigh = 1.0871;
        r.dLow = 1.0799;
        r.dOpen = 1.0815;
        r.dMarginMult = 50;
        r.lLastSize = 1000000;
        r.lContractSize = 100000;
        r.UTCDateTime = rtl::EncodeDate(2026, 12, 4) + rtl::EncodeTime(9, 0, 0, 0);
    }
    hox::QuoteRecord* Next(int i) {
        r.dBid = 1.08345 + (i % 97) * 0.00001;
        r.dAsk = r.dBid + 0.00012;
        r.lBidSize = 1000000 + (i % 13) * 250000;
        r.lAskSize = 1000000 + (i % 7) * 500000;
        r.lVolume = 150000000 + i;
        r.tick = uint32_t(i);
        r.UTCDateTime += 0.25 / 86400;
        return &r;
    }
};

size_t ResidentBytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return size_t(resident) * size_t(sysconf(_SC_PAGESIZE));
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

constexpr int kDayRows = 1000000;
double g_bytesPerRow = 0;

// Appends count rows to the quote grid with the texts the quote handler writes, without the
// edits, the charts or the tagging runs: a long history is built in seconds.
void AppendQuoteRows(int count) {
    Window& w = TheWindow();
    QuoteSource q;
    tk::TStringGrid& grid = *w.form->StringGrid1;
    const int last = FeedCounters.QuoteRows + count;
    grid.SetRowCount(last + 1);
    while (FeedCounters.QuoteRows < last) {
        const hox::QuoteRecord& r = *q.Next(FeedCounters.QuoteRows);
        const int n = ++FeedCounters.QuoteRows;
        const int64_t d = int64_t(r.lAskSize) - int64_t(r.lBidSize);
        grid.SetCells(0, n, rtl::FormatDateTime("yyyy.mm.dd hh:mm:ss", r.UTCDateTime));
        grid.SetCells(1, n, rtl::FloatToStr(r.dBid));
        grid.SetCells(2, n, rtl::FloatToStr(r.dAsk));
        grid.SetCells(3, n, rtl::IntToStr(r.lBidSize));
        grid.SetCells(4, n, rtl::IntToStr(r.lAskSize));
        grid.SetCells(5, n, d > 0 ? rtl::IntToStr(d) : "0");
        grid.SetCells(6, n, d < 0 ? rtl::IntToStr(d) : "0");
        grid.SetCells(7, n, rtl::IntToStr(r.lVolume));
        grid.SetCells(11, n, rtl::IntToStr(n));
    }
}

// Quotes through the whole handler (charts and tagging runs included), with the event loop
// served every 64 quotes as when the host posts them.
void SendQuotes(int count) {
    Window& w = TheWindow();
    QuoteSource q;
    for (int i = 0; i < count; ++i) {
        w.form->OnQuoteData(q.Next(FeedCounters.QuoteRows));
        if (FeedCounters.QuoteRows % 64 == 0) QCoreApplication::processEvents();
    }
    w.form->Workers().WaitForWorkers();
}

// Fills the quote grid to a trading day's length once and measures what a row costs the
// process. The rows are written as the handler writes them; the last thousand go through the
// handler itself, so the charts are rebuilt from the newest rows as in a running session.
void FillDay() {
    if (FeedCounters.QuoteRows >= kDayRows) return;
    size_t before = ResidentBytes();
    int start = FeedCounters.QuoteRows;
    AppendQuoteRows(kDayRows - 1000 - start);
    SendQuotes(1000);
    size_t after = ResidentBytes();
    g_bytesPerRow = double(after - before) / double(kDayRows - start);
}

// A calendar of 300 events, five a minute, in the news grid.
void FillCalendar() {
    Window& w = TheWindow();
    tk::TStringGrid& news = *w.form->StringGrid4;
    if (news.RowCount() == 301) return;
    news.SetRowCount(301);
    for (int i = 1; i <= 300; ++i) {
        const double t =
            rtl::EncodeDate(2026, 12, 4) + rtl::EncodeTime(9, 0, 0, 0) + i / 5 / 1440.0;
        news.SetCells(0, i, rtl::FormatDateTime("yyyy.mm.dd hh:nn", t));
        news.SetCells(1, i, i % 2 ? "EUR" : "USD");
        news.SetCells(2, i, "Event " + std::to_string(i));
    }
}

constexpr int kChartRows = 100000;

// The quote grid at 100,000 rows and the charts past their windows.
void PrepareChartSession() {
    if (FeedCounters.QuoteRows >= kChartRows) return;
    FillCalendar();
    AppendQuoteRows(kChartRows - 1000 - FeedCounters.QuoteRows);
    SendQuotes(1000);
}

// One whole quote with the charts rebuilt from the newest rows (every chart is past its
// window) and the tagging run started, at 100,000 rows and 300 calendar events; the form is
// not shown, so no repaint happens. Every 64 quotes the event loop runs the tagging runs'
// hops, and that share is counted.
void BM_QuotePathWithCharts(benchmark::State& state) {
    PrepareChartSession();
    Window& w = TheWindow();
    QuoteSource q;
    int i = 0;
    for (auto _ : state) {
        w.form->OnQuoteData(q.Next(FeedCounters.QuoteRows));
        if (++i % 64 == 0) QCoreApplication::processEvents();
    }
    w.form->Workers().WaitForWorkers();
    state.counters["rows"] = FeedCounters.QuoteRows;
}
BENCHMARK(BM_QuotePathWithCharts)->Unit(benchmark::kMicrosecond);

// Where the time goes: the four fill_chart calls of one quote alone, reading the grid through
// the window's cache of parsed numbers (the argument 1), or parsing every text again (0, from a
// grid that holds the same texts but is not the quote grid).
void BM_QuotePathWithCharts_FourFillCharts(benchmark::State& state) {
    PrepareChartSession();
    Window& w = TheWindow();
    tk::TStringGrid* grid = w.form->StringGrid1;
    static tk::TStringGrid* copy = nullptr;
    if (!state.range(0)) {
        if (!copy) copy = new tk::TStringGrid;
        tk::TGridCells cells = w.form->StringGrid1->Store().Snapshot();
        copy->SwapCells(cells);
        grid = copy;
    }
    TForm1& f = *w.form;
    const int n = FeedCounters.QuoteRows;
    for (auto _ : state) {
        f.fill_chart(f.Chart1, grid, n, 0, 1, 2, -1, -1, "EUR/USD", 150);
        f.fill_chart(f.Chart3, grid, n, 0, 3, 4, -1, -1, "EUR/USD", 150);
        f.fill_chart(f.Chart2, grid, n, 0, 1, 2, -1, -1, "EUR/USD", 500);
        f.fill_chart(f.Chart4, grid, n, 0, 6, 5, -1, -1, "EUR/USD", 500);
    }
}
BENCHMARK(BM_QuotePathWithCharts_FourFillCharts)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// Where the time goes: starting one tagging run, and its hop served every 64 runs.
void BM_QuotePathWithCharts_TaggingRun(benchmark::State& state) {
    PrepareChartSession();
    Window& w = TheWindow();
    const int n = FeedCounters.QuoteRows;
    const std::string time = w.form->StringGrid1->Cells(0, n);
    int i = 0;
    for (auto _ : state) {
        new TTestThread_3(w.form->Workers(), w.form->StringGrid1, w.form->StringGrid4, n, time);
        if (++i % 64 == 0) QCoreApplication::processEvents();
    }
    w.form->Workers().WaitForWorkers();
}
BENCHMARK(BM_QuotePathWithCharts_TaggingRun)->Unit(benchmark::kMicrosecond);

// A burst of 1,000 quotes a second for a second with "Ticks 1" on screen: each quote is
// handled as it comes and the event loop runs in between. The counters are the paints of the
// two visible charts in that second and the longest quote, in wall time and in the window
// thread's own processor time (the difference is the rest of the machine's work).
void BM_QuoteBurst_1000PerSecond_Paints(benchmark::State& state) {
    PrepareChartSession();
    Window& w = TheWindow();
    w.form->PageControl1->setCurrentIndex(2);
    w.form->show();
    QCoreApplication::processEvents();
    QuoteSource q;
    double paints1 = 0, paints3 = 0, hidden = 0, longest = 0, longestCpu = 0;
    for (auto _ : state) {
        const int p1 = w.form->ChartView1->ClientPaints(), p3 = w.form->ChartView3->ClientPaints();
        const int p2 = w.form->ChartView2->ClientPaints();
        QElapsedTimer second;
        second.start();
        for (int k = 0; k < 1000; ++k) {
            while (second.nsecsElapsed() < k * 1000000LL)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            QElapsedTimer quote;
            quote.start();
            const double cpu = ThreadCpuSeconds();
            w.form->OnQuoteData(q.Next(FeedCounters.QuoteRows));
            longest = std::max(longest, quote.nsecsElapsed() / 1000.0);
            longestCpu = std::max(longestCpu, (ThreadCpuSeconds() - cpu) * 1e6);
        }
        while (second.nsecsElapsed() < 1000000000LL)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        paints1 += w.form->ChartView1->ClientPaints() - p1;
        paints3 += w.form->ChartView3->ClientPaints() - p3;
        hidden += w.form->ChartView2->ClientPaints() - p2;
    }
    w.form->hide();
    w.form->Workers().WaitForWorkers();
    const double seconds = double(state.iterations());
    state.counters["chart1_paints_per_s"] = paints1 / seconds;
    state.counters["chart3_paints_per_s"] = paints3 / seconds;
    state.counters["hidden_chart2_paints_per_s"] = hidden / seconds;
    state.counters["longest_quote_us"] = longest;
    state.counters["longest_quote_cpu_us"] = longestCpu;
}
BENCHMARK(BM_QuoteBurst_1000PerSecond_Paints)->Iterations(3)->Unit(benchmark::kMillisecond);

// The argument is how many quotes arrive between two passes of the event loop, where the edits
// show their new texts: 64 for a burst, 1 for quotes far apart. The loop's share is counted.
void BM_OnQuoteData_AtOneMillionRows(benchmark::State& state) {
    FillDay();
    Window& w = TheWindow();
    QuoteSource q;
    const int quotesPerPass = int(state.range(0));
    int i = 0;
    for (auto _ : state) {
        w.form->OnQuoteData(q.Next(i++));
        if (i % quotesPerPass == 0) QCoreApplication::processEvents();
    }
    state.counters["bytes_per_row"] = g_bytesPerRow;
    state.counters["store_bytes_per_row"] =
        double(w.form->StringGrid1->Store().MemoryBytes()) / FeedCounters.QuoteRows;
    state.counters["rows"] = FeedCounters.QuoteRows;
}
BENCHMARK(BM_OnQuoteData_AtOneMillionRows)->Arg(64)->Arg(1)->Unit(benchmark::kMicrosecond);

struct Level2Source {
    com::Bstr symbol{u"EUR/USD"}, source{u"ECN"};
    com::Bstr makers[6] = {com::Bstr(u"GSCO"), com::Bstr(u"MSCO"), com::Bstr(u"JPMS"),
                           com::Bstr(u"UBSS"), com::Bstr(u"DBAB"), com::Bstr(u"CITI")};
    hox::Level2Record r{};
    Level2Source() {
        r.bstrSymbol = symbol.get();
        r.bstrSource = source.get();
    }
    hox::Level2Record* Open(int i) {
        r.bstrMMID = makers[i % 6].get();
        r.side = 1;
        r.bClosed = 0;
        r.dPrice = 1.0834 - (i % 50) * 0.00001;
        r.lSize = 1000000 + (i % 9) * 100000;
        return &r;
    }
};

constexpr int kBookRows = 1000000;

void PrepareBook() {
    Window& w = TheWindow();
    Level2Source l2;
    while (FeedCounters.BidRows < kBookRows) w.form->OnLevel2Data(l2.Open(FeedCounters.BidRows));
}

// Closes in a bid book of a million rows from six market makers. The first close of each maker
// marks its whole share of the book (about 167,000 rows): those six closes are timed once and
// reported per row marked. After them each timed close follows one open of its maker, so it
// marks one row: the median is the cost of a close in a steady feed, and a close that marks k
// rows costs about that plus k times the cost per row.
void BM_OnLevel2Data_CloseMakerInBookOf1M(benchmark::State& state) {
    PrepareBook();
    Window& w = TheWindow();
    Level2Source l2;
    static double firstClosesPerRowUs = [&] {
        const auto start = std::chrono::steady_clock::now();
        for (int m = 0; m < 6; ++m) {
            hox::Level2Record close = *l2.Open(m);
            close.bClosed = -1;
            w.form->OnLevel2Data(&close);
        }
        const auto elapsed = std::chrono::steady_clock::now() - start;
        return std::chrono::duration<double, std::micro>(elapsed).count() / kBookRows;
    }();
    int i = 0;
    for (auto _ : state) {
        hox::Level2Record close = *l2.Open(i);
        w.form->OnLevel2Data(l2.Open(i));
        close.bClosed = -1;
        const auto start = std::chrono::steady_clock::now();
        w.form->OnLevel2Data(&close);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (++i % 64 == 0) QCoreApplication::processEvents();
    }
    state.counters["rows"] = FeedCounters.BidRows;
    state.counters["first_closes_us_per_row"] = firstClosesPerRowUs;
}
BENCHMARK(BM_OnLevel2Data_CloseMakerInBookOf1M)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_OnLevel2Data_OpenIntoBookOf1M(benchmark::State& state) {
    PrepareBook();
    Window& w = TheWindow();
    Level2Source l2;
    int i = 0;
    for (auto _ : state) {
        w.form->OnLevel2Data(l2.Open(i++));
        if (i % 64 == 0) QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_OnLevel2Data_OpenIntoBookOf1M)->Unit(benchmark::kMicrosecond);

// One second of a feed of 5,000 records a second, half quotes and half Level 2 records from
// the simulated host's own market model (opens and closes of its market makers on both
// sides), delivered on the window thread ten of each kind at a time with the event loop
// served in between, on top of a day's quote history and a million-row bid book. The time of an
// iteration is the window thread's busy time for that second; its shares of the second are
// reported in processor time and in wall time.
void BM_MixedLoad_5000RecordsPerSecond(benchmark::State& state) {
    FillDay();
    PrepareBook();
    Window& w = TheWindow();
    static bool subscribed = false;
    if (!subscribed) {
        // No login: Start subscribes both kinds, then stops at the incomplete login.
        w.form->Button1Click();
        subscribed = true;
    }
    constexpr int kPerKindPerSecond = 2500, kGroup = 10;
    double busy = 0, cpu = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double startCpu = ThreadCpuSeconds();
        for (int done = 0; done < kPerKindPerSecond; done += kGroup) {
            hostsim::HostControl::DeliverNext(hostsim::FeedKind::Quote, kGroup);
            hostsim::HostControl::DeliverNext(hostsim::FeedKind::Level2, kGroup);
            QCoreApplication::processEvents();
        }
        busy += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu += ThreadCpuSeconds() - startCpu;
    }
    // The processor time is the window thread's own work; the wall time adds whatever else the
    // machine runs meanwhile.
    state.counters["window_cpu_share_pct"] = 100 * cpu / double(state.iterations());
    state.counters["window_wall_share_pct"] = 100 * busy / double(state.iterations());
    state.counters["bid_rows"] = FeedCounters.BidRows;
    state.counters["ask_rows"] = FeedCounters.AskRows;
}
BENCHMARK(BM_MixedLoad_5000RecordsPerSecond)->Unit(benchmark::kMillisecond);

int ThreadCount() {
    int n = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/task"))
        ++n;
    return n;
}

// Quotes at 100 a second for three seconds under a calendar of 8 MiB of line feeds (8,388,608
// events: what the download's size cap lets through), on a window of its own whose news grid
// took the calendar as the download hands it over. Counters: the most threads the process ran,
// the longest a call posted to the window thread waited (posted just before each quote: the
// window's answer time), and the time closing the window took.
void BM_HugeCalendar_100QuotesPerSecond(benchmark::State& state) {
    TheWindow(); // the application and the simulated host
    for (auto _ : state) {
        auto form = std::make_unique<TForm1>();
        if (!form->Create()) std::abort();
        form->Workers().WaitForWorkers();
        workers::TNewsTable table = workers::ParseCalendar(std::string(size_t(8) << 20, '\n'));
        auto index = std::make_unique<const workers::TNewsIndex>(table.Rows);
        workers::ApplyNewsTable(*form->StringGrid4, table);
        workers::SetNewsIndex(*form->StringGrid4, std::move(index));
        QuoteSource q;
        int threads = 0;
        double answer = 0;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 300; ++i) {
            std::this_thread::sleep_until(start + i * std::chrono::milliseconds(10));
            QElapsedTimer posted;
            posted.start();
            QMetaObject::invokeMethod(
                qApp, [&] { answer = std::max(answer, posted.nsecsElapsed() / 1e6); },
                Qt::QueuedConnection);
            form->OnQuoteData(q.Next(FeedCounters.QuoteRows));
            QCoreApplication::processEvents();
            threads = std::max(threads, ThreadCount());
        }
        QElapsedTimer closing;
        closing.start();
        form.reset();
        state.counters["threads"] = threads;
        state.counters["answer_ms"] = answer;
        state.counters["close_ms"] = closing.nsecsElapsed() / 1e6;
    }
}
BENCHMARK(BM_HugeCalendar_100QuotesPerSecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarksAndEndTheWindow(argc, argv);
}
