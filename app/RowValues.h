// Numbers and times read back from a grid's texts, kept beside the grid: the tick charts
// rebuild from the same rows on every quote, and each text is parsed once instead.
#pragma once

#include "toolkit/GridCells.h"

#include <cstdint>
#include <memory>
#include <string_view>

// The time of a row's date text: text beginning with "20" is read as "yy.mm.dd hh:nn:ss"
// (a four-digit year reads back exactly); any other text, the empty one included, is the
// current local time. A "20" text that is not a date-time raises rtl::EConvertError.
double RowTime(std::string_view text);
// An empty cell is 0; other text is a decimal number or raises rtl::EConvertError.
double CellValue(std::string_view text);

class TRowValues {
public:
    TRowValues();
    ~TRowValues();
    TRowValues(const TRowValues&) = delete;
    TRowValues& operator=(const TRowValues&) = delete;

    // RowTime and CellValue of cell (col, row) of cells, from what was parsed before while
    // the row's texts are the same. Raise as those do, and keep nothing then.
    double Time(const tk::TGridCells& cells, int col, int row);
    double Value(const tk::TGridCells& cells, int col, int row);

private:
    static constexpr int kCols = 16;
    static constexpr int kSlots = 4096; // rows kept, by row number modulo
    enum Kind : uint8_t { kUnknown, kValue, kTime, kNow };
    struct Entry {
        int32_t Row = -1;
        uint64_t Stamp = 0;
        Kind Kinds[kCols] = {};
        double Values[kCols] = {};
    };

    // The entry of the row with its texts as they are now, or nullptr when the row cannot be
    // kept (being filled, or a column beyond those kept).
    Entry* Find(const tk::TGridCells& cells, int col, int row);

    std::unique_ptr<Entry[]> entries_;
    uint64_t epoch_ = 0;
};
