// File conversions of the save run.
#include <benchmark/benchmark.h>

#include "BMPtoJPG.h"
#include "BenchWindow.h"
#include "CellSnapshot.h"
#include "ExcelExport.h"
#include "FeedCounters.h"
#include "GridFile.h"
#include "app/Unit1.h"
#include "com/Bstr.h"
#include "host/SimulatedHost.h"
#include "rtl/DateTime.h"
#include "rtl/NumberText.h"
#include "toolkit/Application.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Thread.h"
#include "toolkit/bitmap/Bitmap.h"
#include "workers/SaveRun.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include <time.h>

#include <unistd.h>

namespace {

void ThickLine(tk::TBitmap& bitmap, int x0, int y0, int x1, int y1, uint32_t colour) {
    int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
    for (int i = 0; i <= steps; ++i) {
        int x = x0 + (steps ? (x1 - x0) * i / steps : 0);
        int y = y0 + (steps ? (y1 - y0) * i / steps : 0);
        bitmap.FillRect({x, y, x + 2, y + 2}, colour);
    }
}

// What a tick chart snapshot looks like: white, a frame and grid, two price lines and rows of
// short strokes where the axis labels are.
tk::TBitmap ChartLikeBitmap() {
    tk::TBitmap bitmap(1001, 442);
    bitmap.FillRect({0, 0, 1001, 442}, 0xFFFFFF);
    bitmap.FillRect({40, 10, 41, 410}, 0x000000);
    bitmap.FillRect({40, 409, 990, 410}, 0x000000);
    for (int y = 50; y < 410; y += 60) bitmap.FillRect({41, y, 990, y + 1}, 0xC0C0C0);
    for (int x = 140; x < 990; x += 150) bitmap.FillRect({x, 10, x + 1, 409}, 0xC0C0C0);
    int bid = 200, ask = 180;
    for (int i = 0; i < 499; ++i) {
        int x = 41 + i * 949 / 499, nx = 41 + (i + 1) * 949 / 499;
        int nbid = std::clamp(bid + static_cast<int>(std::lround(9 * std::sin(i * 0.37))), 20, 400);
        int nask = std::clamp(nbid - 20 + (i % 7), 15, 395);
        ThickLine(bitmap, x, bid, nx, nbid, 0x0000FF);
        ThickLine(bitmap, x, ask, nx, nask, 0x008000);
        bid = nbid;
        ask = nask;
    }
    for (int row = 0; row < 7; ++row)
        for (int c = 0; c < 5; ++c)
            bitmap.FillRect({8 + c * 6, 45 + row * 60, 12 + c * 6, 54 + row * 60}, 0);
    for (int col = 0; col < 6; ++col)
        for (int c = 0; c < 12; ++c)
            bitmap.FillRect({110 + col * 150 + c * 6, 418, 114 + col * 150 + c * 6, 428}, 0);
    return bitmap;
}

// A save run writes into a new folder, so the JPEG file is normally new. Replacing an existing
// file is measured apart: ext4 flushes a truncated-and-rewritten file at close, which costs
// milliseconds of waiting that are not conversion work.
void BMPtoJPGChartSnapshot(benchmark::State& state, bool overwrite) {
    auto dir = std::filesystem::temp_directory_path();
    std::string bmp = (dir / ("hox_bench_" + std::to_string(::getpid()) + ".bmp")).string();
    std::string jpg = (dir / ("hox_bench_" + std::to_string(::getpid()) + ".jpg")).string();
    ChartLikeBitmap().SaveToFile(bmp);
    for (auto _ : state) {
        if (!overwrite) {
            state.PauseTiming();
            std::filesystem::remove(jpg);
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(workers::BMPtoJPG(bmp, jpg));
    }
    state.counters["jpg_bytes"] = static_cast<double>(std::filesystem::file_size(jpg));
    std::filesystem::remove(bmp);
    std::filesystem::remove(jpg);
}
void BM_BMPtoJPG_ChartSnapshot(benchmark::State& state) {
    BMPtoJPGChartSnapshot(state, false);
}
void BM_BMPtoJPG_ChartSnapshotOverwrite(benchmark::State& state) {
    BMPtoJPGChartSnapshot(state, true);
}
BENCHMARK(BM_BMPtoJPG_ChartSnapshot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BMPtoJPG_ChartSnapshotOverwrite)->Unit(benchmark::kMillisecond);

// The quote grid of a long session: 100,000 quote rows of 12 quote-like texts under the titles.
const tk::TGridCells& QuoteGrid() {
    static const tk::TGridCells grid = [] {
        constexpr int Cols = 12, Rows = 100001;
        tk::TGridCells g(Cols, Rows);
        const char* titles[Cols] = {"UTCDateTime", "Symbol", "Bid",  "Ask", "Last", "BidSize",
                                    "AskSize",     "Volume", "High", "Low", "Open", "News"};
        for (int c = 0; c < Cols; ++c) g.SetCell(c, 0, titles[c]);
        char text[32];
        for (int r = 1; r < Rows; ++r) {
            const int s = r % 86400;
            std::snprintf(text, sizeof text, "2024.01.05 %02d:%02d:%02d", s / 3600, s / 60 % 60,
                          s % 60);
            g.SetCell(0, r, text);
            g.SetCell(1, r, "EUR/USD");
            const double bid = 1.09 + 0.0001 * (r % 977);
            for (int c = 2; c < 5; ++c) {
                std::snprintf(text, sizeof text, "%.5f", bid + 0.00002 * (c - 2));
                g.SetCell(c, r, text);
            }
            for (int c = 5; c < 8; ++c) g.SetCell(c, r, std::to_string(1000000 * (1 + r % 9)));
            for (int c = 8; c < 11; ++c) {
                std::snprintf(text, sizeof text, "%.5f", bid + 0.001 * (c - 9));
                g.SetCell(c, r, text);
            }
            if (r % 500 == 0) g.SetCell(11, r, ",USD_Non-Farm Employment Change");
        }
        return g;
    }();
    return grid;
}

std::string BenchFile(const char* name) {
    return (std::filesystem::temp_directory_path() /
            ("hox_bench_" + std::to_string(::getpid()) + name))
        .string();
}

// As in a save run, each export goes to a new file.
void BM_SaveAsExcelFile_100kRows12Cols(benchmark::State& state) {
    const tk::TGridCells& grid = QuoteGrid();
    const std::string xls = BenchFile(".xls");
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(xls);
        state.ResumeTiming();
        benchmark::DoNotOptimize(workers::SaveAsExcelFile(grid, xls));
    }
    state.counters["xls_bytes"] = static_cast<double>(std::filesystem::file_size(xls));
    std::filesystem::remove(xls);
}
BENCHMARK(BM_SaveAsExcelFile_100kRows12Cols)->Unit(benchmark::kMillisecond);

// The part of an export that holds the window thread: copying the cells in one hop.
void BM_SaveAsExcelFile_CellCopy_100kRows12Cols(benchmark::State& state) {
    const tk::TGridCells& grid = QuoteGrid();
    for (auto _ : state) {
        workers::TCellSnapshot copy(grid);
        benchmark::DoNotOptimize(copy.Cell(11, 100000).data());
    }
}
BENCHMARK(BM_SaveAsExcelFile_CellCopy_100kRows12Cols)->Unit(benchmark::kMillisecond);

// Writing the grid as a text file and reading it back into a grid of another shape.
void BM_File2StringGrid_RoundTrip_100kRows12Cols(benchmark::State& state) {
    const tk::TGridCells& grid = QuoteGrid();
    const std::string txt = BenchFile(".txt");
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(txt);
        tk::TGridCells back(7, 2);
        state.ResumeTiming();
        workers::StringGrid2File(grid, txt);
        workers::File2StringGrid(back, txt);
        benchmark::DoNotOptimize(back.CellView(11, 100000).data());
    }
    std::filesystem::remove(txt);
}
BENCHMARK(BM_File2StringGrid_RoundTrip_100kRows12Cols)->Unit(benchmark::kMillisecond);

// The window of a long session: 100,000 quote rows written as the quote handler writes them,
// then 1,000 quotes through the handler, so every chart holds its rebuilt window of points.
struct SessionWindow : BenchWindow {
    SessionWindow() {
        form->Workers().WaitForWorkers();
        com::Bstr symbol(u"EUR/USD");
        hox::QuoteRecord q{};
        q.bstrSymbol = symbol.get();
        q.UTCDateTime = rtl::EncodeDate(2026, 12, 4) + rtl::EncodeTime(9, 0, 0, 0);
        tk::TStringGrid& grid = *form->StringGrid1;
        constexpr int Rows = 100000;
        grid.SetRowCount(Rows - 1000 + 1);
        for (int i = 0; i < Rows; ++i) {
            q.dBid = 1.08345 + (i % 97) * 0.00001;
            q.dAsk = q.dBid + 0.00012;
            q.lBidSize = 1000000 + (i % 13) * 250000;
            q.lAskSize = 1000000 + (i % 7) * 500000;
            q.lVolume = 150000000 + i;
            q.UTCDateTime += 0.25 / 86400;
            if (i >= Rows - 1000) {
                form->OnQuoteData(&q);
                if (i % 64 == 0) QCoreApplication::processEvents();
                continue;
            }
            const int n = ++FeedCounters.QuoteRows;
            const int64_t d = int64_t(q.lAskSize) - int64_t(q.lBidSize);
            grid.SetCells(0, n, rtl::FormatDateTime("yyyy.mm.dd hh:mm:ss", q.UTCDateTime));
            grid.SetCells(1, n, rtl::FloatToStr(q.dBid));
            grid.SetCells(2, n, rtl::FloatToStr(q.dAsk));
            grid.SetCells(3, n, rtl::IntToStr(q.lBidSize));
            grid.SetCells(4, n, rtl::IntToStr(q.lAskSize));
            grid.SetCells(5, n, d > 0 ? rtl::IntToStr(d) : "0");
            grid.SetCells(6, n, d < 0 ? rtl::IntToStr(d) : "0");
            grid.SetCells(7, n, rtl::IntToStr(q.lVolume));
            grid.SetCells(11, n, rtl::IntToStr(n));
        }
        form->Workers().WaitForWorkers();
    }
};

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

// A whole save run, as "S" starts it: four charts drawn on the window thread and written as
// bitmaps, four JPEGs, four sheets (the quote sheet of 100,000 rows). The window thread serves
// the run's hops meanwhile; the counter is the longest time one pass of its event loop took,
// that is the longest the run held the window thread, in wall time and in the window thread's
// own processor time (the difference is other work of the machine).
void BM_SaveRun_100kRows(benchmark::State& state) {
    SessionWindow& w = TheWindow<SessionWindow>();
    const std::string folder = BenchFile("_saves");
    workers::SetSaveFolder(folder);
    double longest = 0, longestCpu = 0;
    for (auto _ : state) {
        char key = 'S';
        w.form->FormKeyPress(key);
        while (w.form->Workers().LiveCount() > 0) {
            QElapsedTimer pass;
            pass.start();
            const double cpu = ThreadCpuMs();
            QCoreApplication::processEvents();
            longest = std::max(longest, pass.nsecsElapsed() / 1e6);
            longestCpu = std::max(longestCpu, ThreadCpuMs() - cpu);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    }
    state.counters["longest_hop_ms"] = longest;
    state.counters["longest_hop_cpu_ms"] = longestCpu;
    workers::SetSaveFolder("");
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SaveRun_100kRows)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarksAndEndTheWindow(argc, argv);
}
