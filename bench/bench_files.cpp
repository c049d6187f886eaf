// File conversions of the save run.
#include <benchmark/benchmark.h>

#include "BMPtoJPG.h"
#include "CellSnapshot.h"
#include "ExcelExport.h"
#include "GridFile.h"
#include "toolkit/bitmap/Bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

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

} // namespace

BENCHMARK_MAIN();
