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

TRowValues::Row TRowValues::At(const tk::TGridCells& cells, int row) {
    // The row being filled is not kept.
    uint64_t stamp;
    if (!cells.RowStamp(row, stamp)) return Row(cells, row);
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
    return Row(cells, row, &e);
}

bool TRowValues::Row::Empty(int col) const {
    if (entry_ && col >= 0 && col < kCols) {
        const Kind kind = entry_->Kinds[col];
        if (kind == kBlank) return true;
        if (kind == kTime || kind == kNow) return false;
    }
    return cells_.CellView(col, row_).empty();
}

double TRowValues::Row::Time(int col) {
    if (!entry_ || col < 0 || col >= kCols) return RowTime(cells_.CellView(col, row_));
    Kind& kind = entry_->Kinds[col];
    if (kind == kNow || kind == kBlank) return rtl::Now();
    if (kind != kTime) {
        const std::string_view text = cells_.CellView(col, row_);
        if (!IsDateText(text)) {
            kind = text.empty() ? kBlank : kNow;
            return rtl::Now();
        }
        entry_->Values[col] = RowTime(text);
        kind = kTime;
    }
    return entry_->Values[col];
}

double TRowValues::Row::Value(int col) {
    if (!entry_ || col < 0 || col >= kCols) return CellValue(cells_.CellView(col, row_));
    Kind& kind = entry_->Kinds[col];
    if (kind == kBlank) return 0;
    if (kind != kValue) {
        const std::string_view text = cells_.CellView(col, row_);
        entry_->Values[col] = CellValue(text);
        kind = text.empty() ? kBlank : kValue;
    }
    return entry_->Values[col];
}
