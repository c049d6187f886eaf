// The chart feeding: the tick charts follow the quote grid, one point per quote until a chart's
// window of rows is reached, then a rebuild from the newest rows on every quote.
#pragma once

#include "app/Layout.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TRowValues;

class TForm1Charts : public TForm1Layout {
public:
    TForm1Charts();
    ~TForm1Charts() override;

    // Feeds a tick chart from grid: series K from column colK (-1: not fed), times from
    // dateCol. Once lastRow reaches window, every fed series is rebuilt from the window - 1
    // newest rows; before that, lastRow from row 2 on is appended as one point. A row whose
    // time cell is empty (emptied by Stop) gives no point, so a rebuild that meets such rows
    // plots fewer. A cell that is neither empty nor a number, or a "20" date that is not a
    // date-time, raises.
    void fill_chart(kiv::TChart* chart, tk::TStringGrid* grid, int32_t lastRow, int32_t dateCol,
                    int32_t col0, int32_t col1, int32_t col2, int32_t col3,
                    const std::string& title, int32_t window);
    // While a chart's view is held, the quotes keep the ranges a zoom, pan or wheel scroll gave
    // it (the points still follow them); otherwise every quote gives back the automatic ranges.
    bool HeldView(const kiv::TChart* chart) const;
    void SetHeldView(const kiv::TChart* chart, bool on);

private:
    // Numbers and times parsed from StringGrid1's cells for the tick charts.
    std::unique_ptr<TRowValues> quoteValues_;
    std::vector<const kiv::TChart*> heldViews_;
    // A rebuild's times and values, newest row first, kept between quotes to reuse the room.
    std::vector<double> refillTimes_;
    std::array<std::vector<double>, 4> refillValues_;
};
