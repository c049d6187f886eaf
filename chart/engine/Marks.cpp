// TSeriesMarks: the marks' settings and the positions they were drawn at.

#include "chart/engine/Marks.h"

#include "chart/engine/Series.h"

namespace kiv {

void TSeriesMarkPosition::Assign(const TSeriesMarkPosition& source) {
    ArrowStart = source.ArrowStart;
    ArrowEnd = source.ArrowEnd;
    BoxHeight = source.BoxHeight;
    BoxTopLeft = source.BoxTopLeft;
    BoxWidth = source.BoxWidth;
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
    if (positions_.size() <= size_t(index)) positions_.grow_to(size_t(index) + 1);
    std::optional<TSeriesMarkPosition>& remembered = positions_[size_t(index)];
    if (!remembered) remembered.emplace();
    if (remembered->IsCustom)
        position.Assign(*remembered);
    else
        remembered->Assign(position);
}

void TSeriesMarks::ClearPositions() {
    positions_.clear();
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
