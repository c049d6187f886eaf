#include "RowValues.h"

#include "rtl/DateTime.h"
#include "rtl/NumberText.h"
#include "workers/SaveRun.h"

namespace {

const rtl::TFormatSettings& ChartDateSettings() {
    static const rtl::TFormatSettings settings = [] {
        rtl::TFormatSettings fs = rtl::DefaultFormatSettings();
        fs.DateSeparator = '.';
        fs.TimeSeparator = ':';
        fs.ShortDateFormat = "yy.mm.dd";
        fs.ShortTimeFormat = "hh:nn:ss";
        return fs;
    }();
    return settings;
}

bool IsDateText(std::string_view text) {
    return (text.size() >= 2 && text[0] == '2' && text[1] == '0') ||
           workers::IsQuoteTimeBefore2000(text);
}

} // namespace

double RowTime(std::string_view text) {
    return IsDateText(text) ? rtl::StrToDateTime(text, ChartDateSettings()) : rtl::Now();
}

double CellValue(std::string_view text) {
    return text.empty() ? 0.0 : rtl::StrToFloat(text);
}

TRowValues::TRowValues() = default;
TRowValues::~TRowValues() = default;

TRowValues::Entry* TRowValues::Find(const tk::TGridCells& cells, int col, int row) {
    uint64_t stamp;
    if (col < 0 || col >= kCols || !cells.RowStamp(row, stamp)) return nullptr;
    if (!entries_) entries_ = std::make_unique<Entry[]>(kSlots);
    if (cells.Epoch() != epoch_) {
        for (int i = 0; i < kSlots; ++i) entries_[i].Row = -1;
        epoch_ = cells.Epoch();
    }
    Entry& e = entries_[row & (kSlots - 1)];
    if (e.Row != row || e.Stamp != stamp) {
        e.Row = row;
        e.Stamp = stamp;
        for (Kind& k : e.Kinds) k = kUnknown;
    }
    return &e;
}

double TRowValues::Time(const tk::TGridCells& cells, int col, int row) {
    Entry* e = Find(cells, col, row);
    if (!e) return RowTime(cells.CellView(col, row));
    Kind& kind = e->Kinds[col];
    if (kind == kNow) return rtl::Now();
    if (kind != kTime) {
        const std::string_view text = cells.CellView(col, row);
        if (!IsDateText(text)) {
            kind = kNow;
            return rtl::Now();
        }
        e->Values[col] = RowTime(text);
        kind = kTime;
    }
    return e->Values[col];
}

double TRowValues::Value(const tk::TGridCells& cells, int col, int row) {
    Entry* e = Find(cells, col, row);
    if (!e) return CellValue(cells.CellView(col, row));
    if (e->Kinds[col] != kValue) {
        e->Values[col] = CellValue(cells.CellView(col, row));
        e->Kinds[col] = kValue;
    }
    return e->Values[col];
}
