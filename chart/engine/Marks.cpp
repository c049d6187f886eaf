// TSeriesMarks: the marks' settings and the positions they were drawn at.

#include "chart/engine/Marks.h"

#include "GapArray.h"
#include "chart/engine/Series.h"

#include "rtl/Exceptions.h"
#include "rtl/Format.h"

#include <optional>

namespace kiv {

void TSeriesMarkPosition::Assign(const TSeriesMarkPosition& source) {
    ArrowStart = source.ArrowStart;
    ArrowEnd = source.ArrowEnd;
    BoxHeight = source.BoxHeight;
    BoxTopLeft = source.BoxTopLeft;
    BoxWidth = source.BoxWidth;
}

struct TSeriesMarksPositions::TEntries : GapArray<std::optional<TSeriesMarkPosition>> {};

TSeriesMarksPositions::TSeriesMarksPositions() : entries_(std::make_unique<TEntries>()) {}

TSeriesMarksPositions::~TSeriesMarksPositions() = default;

int TSeriesMarksPositions::Count() const {
    return int(entries_->size());
}

TSeriesMarkPosition* TSeriesMarksPositions::Position(int index) {
    if (index < 0 || index >= Count() || !(*entries_)[size_t(index)]) return nullptr;
    return &*(*entries_)[size_t(index)];
}

const TSeriesMarkPosition* TSeriesMarksPositions::Position(int index) const {
    return const_cast<TSeriesMarksPositions*>(this)->Position(index);
}

TSeriesMarkPosition& TSeriesMarksPositions::Place(int index) {
    if (index < 0)
        throw rtl::EListError(rtl::Format("List index out of bounds (%d)", {int64_t(index)}));
    entries_->grow_to(size_t(index) + 1);
    std::optional<TSeriesMarkPosition>& entry = (*entries_)[size_t(index)];
    if (!entry) entry.emplace();
    return *entry;
}

void TSeriesMarksPositions::Delete(int index) {
    if (index >= 0 && index < Count()) entries_->erase(size_t(index));
}

void TSeriesMarksPositions::Clear() {
    entries_->clear();
}

TSeriesMarks::TSeriesMarks(TChartSeries* series)
    : series_(series), arrow_([this] { series_->StyleChanged(); }),
      frame_([this] { series_->StyleChanged(); }) {
    font_.OnChange = [this] { series_->StyleChanged(); };
}

void TSeriesMarks::PropertyChanged() const {
    series_->RequestRepaint();
}

void TSeriesMarks::UsePosition(int index, TSeriesMarkPosition& position) {
    if (index < 0) return;
    TSeriesMarkPosition& remembered = positions_.Place(index);
    if (remembered.IsCustom)
        position.Assign(remembered);
    else
        remembered.Assign(position);
}

void TSeriesMarks::ClearPositions() {
    positions_.Clear();
}

void TSeriesMarks::Assign(const TSeriesMarks& source) {
    arrow_.Assign(source.arrow_);
    frame_.Assign(source.frame_);
    font_.Assign(source.font_);
    arrowLength_ = source.arrowLength_;
    backColor_ = source.backColor_;
    clip_ = source.clip_;
    style_ = source.style_;
    transparent_ = source.transparent_;
    visible_ = source.visible_;
    series_->RequestRepaint();
}

} // namespace kiv
