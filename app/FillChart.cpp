#include "app/FillChart.h"

#include "RowValues.h"

#include "rtl/Exceptions.h"
#include "rtl/NumberText.h"

#include <algorithm>
#include <array>
#include <exception>

TForm1Charts::TForm1Charts() : quoteValues_(std::make_unique<TRowValues>()) {}

TForm1Charts::~TForm1Charts() = default;

void TForm1Charts::fill_chart(kiv::TChart* chart, tk::TStringGrid* grid, int32_t lastRow,
                              int32_t dateCol, int32_t col0, int32_t col1, int32_t col2,
                              int32_t col3, const std::string& title, int32_t window) {
    // The quote grid is read through the window's cache, other grids straight from the texts.
    const tk::TGridCells& cells = grid->Store();
    TRowValues* cache = grid == StringGrid1 ? quoteValues_.get() : nullptr;
    auto rowAt = [&](int32_t row) {
        return cache ? cache->At(cells, row) : TRowValues::Row(cells, row);
    };
    const std::array<int32_t, 4> cols = {col0, col1, col2, col3};
    std::array<kiv::TChartSeries*, 4> fed = {};
    for (int k = 0; k < 4; ++k) {
        if (cols[size_t(k)] == -1) continue;
        if (k >= chart->SeriesCount())
            throw rtl::EListError("The chart has no series " + rtl::IntToStr(k));
        fed[size_t(k)] = chart->Series(k);
    }

    if (!(HeldView(chart) && chart->ViewChanged())) chart->ResetZoom();
    chart->Title().SetText({title});
    chart->BottomAxis().SetDateTimeFormat("yy.mm.dd hh:mm:ss");

    if (lastRow >= window) {
        for (kiv::TChartSeries* series : fed)
            if (series) series->ClearPoints();
        // The rows are read newest first, as the points would go in one by one, and each
        // series then takes its points at once. A cell that reads as no number stops the
        // reading: each series gets the points read before it, the error goes on.
        std::vector<double>& times = refillTimes_;
        times.clear();
        for (std::vector<double>& values : refillValues_) values.clear();
        std::exception_ptr failure;
        try {
            for (int32_t row = lastRow; row > lastRow - window + 1; --row) {
                TRowValues::Row cell = rowAt(row);
                // A row emptied by Stop holds no quote: plotted, it would be a 0 at the
                // current time.
                if (cell.Empty(dateCol)) continue;
                times.push_back(cell.Time(dateCol));
                for (size_t k = 0; k < 4; ++k)
                    if (fed[k]) refillValues_[k].push_back(cell.Value(cols[k]));
            }
        } catch (...) {
            failure = std::current_exception();
        }
        for (size_t k = 0; k < 4; ++k)
            if (fed[k])
                fed[k]->AppendPoints(times.data(), refillValues_[k].data(),
                                     int(refillValues_[k].size()));
        if (failure) std::rethrow_exception(failure);
    } else if (lastRow > 1) {
        TRowValues::Row cell = rowAt(lastRow);
        if (cell.Empty(dateCol)) return;
        const double x = cell.Time(dateCol);
        for (size_t k = 0; k < 4; ++k)
            if (fed[k]) fed[k]->AppendPoint(x, cell.Value(cols[k]), {}, kiv::AutoColor);
    }
}

bool TForm1Charts::HeldView(const kiv::TChart* chart) const {
    return std::find(heldViews_.begin(), heldViews_.end(), chart) != heldViews_.end();
}

void TForm1Charts::SetHeldView(const kiv::TChart* chart, bool on) {
    if (on == HeldView(chart)) return;
    if (on)
        heldViews_.push_back(chart);
    else
        heldViews_.erase(std::find(heldViews_.begin(), heldViews_.end(), chart));
}
