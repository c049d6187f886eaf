#include "app/FillChart.h"

#include "RowValues.h"

#include "rtl/Exceptions.h"
#include "rtl/NumberText.h"

#include <algorithm>
#include <array>

namespace {

// Reads through the window's cache for the quote grid, straight from the texts otherwise.
struct RowReader {
    const tk::TGridCells& Cells;
    TRowValues* Cache;
    double Time(int col, int row) const {
        return Cache ? Cache->Time(Cells, col, row) : RowTime(Cells.CellView(col, row));
    }
    double Value(int col, int row) const {
        return Cache ? Cache->Value(Cells, col, row) : CellValue(Cells.CellView(col, row));
    }
};

} // namespace

TForm1Charts::TForm1Charts() : quoteValues_(std::make_unique<TRowValues>()) {}

TForm1Charts::~TForm1Charts() = default;

void TForm1Charts::fill_chart(kiv::TChart* chart, tk::TStringGrid* grid, int32_t lastRow,
                              int32_t dateCol, int32_t col0, int32_t col1, int32_t col2,
                              int32_t col3, const std::string& title, int32_t window) {
    const RowReader read{grid->Store(), grid == StringGrid1 ? quoteValues_.get() : nullptr};
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

    auto appendRow = [&](int32_t row) {
        // A row emptied by Stop holds no quote: plotted, it would be a 0 at the current time.
        if (read.Cells.CellView(dateCol, row).empty()) return;
        const double x = read.Time(dateCol, row);
        for (int k = 0; k < 4; ++k)
            if (fed[size_t(k)])
                fed[size_t(k)]->AppendPoint(x, read.Value(cols[size_t(k)], row), {},
                                            kiv::AutoColor);
    };
    if (lastRow >= window) {
        for (kiv::TChartSeries* series : fed)
            if (series) series->ClearPoints();
        // Newest first; the ordered X lists keep the points in time order.
        for (int32_t i = 1; i <= window - 1; ++i) appendRow(lastRow - i + 1);
    } else if (lastRow > 1) {
        appendRow(lastRow);
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
