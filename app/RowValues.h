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
    struct Entry;

public:
    TRowValues();
    ~TRowValues();
    TRowValues(const TRowValues&) = delete;
    TRowValues& operator=(const TRowValues&) = delete;

    // The cells of one row, read through what was parsed before while the row's texts are the
    // same (or straight from the texts): a rebuild reads several cells of every row.
    class Row {
    public:
        // Reads straight from the texts.
        Row(const tk::TGridCells& cells, int row) : cells_(cells), row_(row) {}
        bool Empty(int col) const;
        // RowTime and CellValue of cell col. Raise as those do, and keep nothing then.
        double Time(int col);
        double Value(int col);

    private:
        friend TRowValues;
        Row(const tk::TGridCells& cells, int row, Entry* entry)
            : cells_(cells), row_(row), entry_(entry) {}
        const tk::TGridCells& cells_;
        int row_;
        Entry* entry_ = nullptr;
    };
    // Row row of cells; valid until the next At.
    Row At(const tk::TGridCells& cells, int row);

private:
    static constexpr int kCols = 16;
    static constexpr int kSlots = 4096; // rows kept, by row number modulo
    // kBlank: the text is empty (a time of now, a value of 0); kNow: a time of now.
    enum Kind : uint8_t { kUnknown, kValue, kTime, kNow, kBlank };
    struct Entry {
        int32_t Row = -1;
        uint64_t Stamp = 0;
        Kind Kinds[kCols] = {};
        double Values[kCols] = {};
    };

    std::unique_ptr<Entry[]> entries_;
    uint64_t epoch_ = 0;
};
