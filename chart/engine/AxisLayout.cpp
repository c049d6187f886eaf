// TCustomChartAxis: the room an axis takes beside the chart's plotting rectangle, where its line,
// labels and title go, and the click test over that room.

#include "chart/engine/Axis.h"

#include "chart/canvas/Rounding.h"
#include "chart/engine/AxisPanel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kiv {

namespace {

// OnGetAxisLabel is left out while labels are only measured; it is put back however the
// measuring ends.
class DetachedLabelEvent {
public:
    explicit DetachedLabelEvent(TCustomAxisPanel& chart)
        : chart_(chart), event_(std::move(chart.OnGetAxisLabel)) {
        chart_.OnGetAxisLabel = nullptr;
    }
    DetachedLabelEvent(const DetachedLabelEvent&) = delete;
    DetachedLabelEvent& operator=(const DetachedLabelEvent&) = delete;
    ~DetachedLabelEvent() { chart_.OnGetAxisLabel = std::move(event_); }

private:
    TCustomAxisPanel& chart_;
    TAxisOnGetLabel event_;
};

} // namespace

int TCustomChartAxis::Edge(const TRect& rect) const {
    if (horizontal_) return otherSide_ ? rect.top : rect.bottom;
    return otherSide_ ? rect.right : rect.left;
}

int TCustomChartAxis::Shift(int position, const TRect& rect) const {
    if (positionPercent_ == 0) return position;
    const int size = horizontal_ ? rect.Height() : rect.Width();
    int64_t d = RoundPixel(positionPercent_ * 0.01 * size);
    if (otherSide_) d = -d;
    return ClampPixel(horizontal_ ? position - d : position + d);
}

// Outward is down for the bottom axis, up for the top one, left for the left one and right for
// the right one.
int TCustomChartAxis::Outward(int position, int distance) const {
    const bool increasing = horizontal_ != otherSide_;
    return ClampPixel(increasing ? int64_t(position) + distance : int64_t(position) - distance);
}

int TCustomChartAxis::TickSpace() const {
    int64_t space =
        (axisPen_.Visible() ? axisPen_.Width() : 0) + (ticks_.Visible() ? tickLength_ : 0);
    if (minorTicks_.Visible()) space = std::max<int64_t>(space, minorTickLength_);
    return ClampPixel(space);
}

namespace {

// Whether a text at this angle runs along the axis.
bool RunsAlong(bool horizontal, int angle) {
    return horizontal ? angle == 0 || angle == 180 : angle == 90 || angle == 270;
}

} // namespace

int TCustomChartAxis::TitleSpace() {
    if (titleSize_ != 0) return titleSize_;
    if (!chart_) return 0;
    chart_->ApplyTextFont(title_.Font());
    if (RunsAlong(horizontal_, title_.Angle())) return chart_->FontHeight();
    int lines = 0;
    return chart_->MeasureMultiLineText(title_.Caption(), lines);
}

int TCustomChartAxis::LabelsSpace() {
    if (labelsSize_ != 0) return labelsSize_;
    if (!chart_) return 0;
    chart_->ApplyTextFont(labelsFont_);
    if (RunsAlong(horizontal_, labelsAngle_)) return chart_->FontHeight();
    return WidestLabel();
}

int TCustomChartAxis::WidestLabel() {
    if (!chart_) return 0;
    switch (EffectiveLabelStyle()) {
    case talValue: {
        DetachedLabelEvent detached(*chart_);
        double lo = rangeMin_, hi = rangeMax_;
        if (roundFirstLabel_ || (dateTimeMode_ && exactDateTime_)) {
            const double inc = ComputeIncrement();
            lo = std::trunc(rangeMin_ / inc) * inc;
            hi = std::trunc(rangeMax_ / inc) * inc;
        }
        int lines = 0;
        const int widest = std::max(chart_->MeasureMultiLineText(LabelText(hi), lines),
                                    chart_->MeasureMultiLineText(LabelText(lo), lines));
        return ClampPixel(int64_t(widest) + chart_->MeasureMultiLineText(" ", lines));
    }
    case talMark:
        return chart_->WidestMarkText();
    case talText:
        return chart_->WidestPointLabel();
    default:
        return 0;
    }
}

void TCustomChartAxis::LayOut(TRect& rect, bool inflate) {
    if (!inflate) {
        axisPosition_ = Shift(Edge(rect), rect);
        labelsPosition_ = Outward(axisPosition_, TickSpace());
        titlePosition_ = Outward(labelsPosition_, LabelsSpace());
        return;
    }
    if (depth_) {
        // The depth axis takes no room; its labels and title stand right of the chart.
        titlePosition_ = labelsPosition_ = rect.right;
        return;
    }
    // Moves the axis' edge of rect towards the chart's inside.
    auto cut = [&](int amount) {
        int& edge = horizontal_ ? (otherSide_ ? rect.top : rect.bottom)
                                : (otherSide_ ? rect.right : rect.left);
        edge = Outward(edge, ClampPixel(-int64_t(amount)));
    };
    titlePosition_ = labelsPosition_ = Edge(rect);
    if (!title_.Caption().empty()) {
        cut(TitleSpace());
        titlePosition_ = Edge(rect);
    }
    if (labels_) {
        cut(LabelsSpace());
        labelsPosition_ = Edge(rect);
    }
    const int64_t ticks = int64_t(TickSpace()) + (chart_ ? chart_->WallThickness(this) : 0);
    if (ticks > 0) cut(ClampPixel(ticks));
    titlePosition_ = Shift(titlePosition_, rect);
    labelsPosition_ = Shift(labelsPosition_, rect);
}

bool TCustomChartAxis::HitAxis(int x, int y) const {
    if (!chart_ || !chart_->IsAxisShown(this)) return false;
    const int along = horizontal_ ? x : y;
    const int across = horizontal_ ? y : x;
    if (along < std::min(startPixel_, endPixel_) || along > std::max(startPixel_, endPixel_))
        return false;
    int64_t from, to;
    if (labelsPosition_ < axisPosition_) {
        from = labelsPosition_;
        to = int64_t(axisPosition_) + AxisClickTolerance;
    } else {
        from = int64_t(axisPosition_) - AxisClickTolerance;
        to = labelsPosition_;
    }
    return across >= from && across <= to;
}

} // namespace kiv
