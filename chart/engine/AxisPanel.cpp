// TCustomAxisPanel: the series list, the five axes, automatic ranges and paging.

#include "chart/engine/AxisPanel.h"

#include "chart/procs/Palette.h"

#include "rtl/Format.h"

#include <algorithm>

namespace kiv {

int TChartSeriesList::IndexOf(const TChartSeries* series) const {
    auto it = std::find(items_.begin(), items_.end(), series);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

TCustomAxisPanel::TCustomAxisPanel() : seriesList_(this) {
    bottomAxis_ = std::make_unique<TChartAxis>(this, true, false, false, 0);
    topAxis_ = std::make_unique<TChartAxis>(this, true, true, false, 0);
    leftAxis_ = std::make_unique<TChartAxis>(this, false, false, false, 90);
    rightAxis_ = std::make_unique<TChartAxis>(this, false, true, false, 270);
    depthAxis_ = std::make_unique<TChartDepthAxis>(this);
    SetAutoRepaint(true);
}

TCustomAxisPanel::~TCustomAxisPanel() {
    MarkDestroying();
    // Each series leaves the list as it is freed.
    while (!seriesList_.items_.empty()) delete seriesList_.items_.front();
    bottomAxis_.reset();
    topAxis_.reset();
    leftAxis_.reset();
    rightAxis_.reset();
    depthAxis_.reset();
}

void TCustomAxisPanel::UnregisterAxis(TCustomChartAxis* axis) {
    axes_.erase(std::remove(axes_.begin(), axes_.end(), axis), axes_.end());
    for (TChartSeries* s : seriesList_) {
        if (s->UserHorizAxis() == axis) s->SetUserHorizAxis(nullptr);
        if (s->UserVertAxis() == axis) s->SetUserVertAxis(nullptr);
    }
}

// ---------------------------------------------------------------------------------------------
// Series

void TCustomAxisPanel::AddSeriesToChart(TChartSeries* series) {
    if (seriesList_.IndexOf(series) >= 0) return;
    if (series->SeriesColor() == AutoColor) series->SetSeriesColor(FreeSeriesColor(true));
    series->ChartAttached(this);
    series->RecalcActiveAxes();
    RebuildSeries(series);
    seriesList_.items_.push_back(series);
    Invalidate();
}

void TCustomAxisPanel::RemoveSeriesFromChart(TChartSeries* series) {
    const int index = seriesList_.IndexOf(series);
    if (index < 0) return;
    series->UnlinkSources();
    series->ChartAttached(nullptr);
    series->RecalcActiveAxes();
    if (Cursor() == series->Cursor()) SetCursor(OriginalCursor());
    seriesList_.items_.erase(seriesList_.items_.begin() + index);
    Invalidate();
}

bool TCustomAxisPanel::IsValidDataSource(TChartSeries* series, TComponent* component) const {
    auto* source = dynamic_cast<TChartSeries*>(component);
    return source && source != series && series->AcceptsSeriesSource(source);
}

void TCustomAxisPanel::RebuildSeries(TChartSeries* series) {
    if (series->Loading()) return;
    if (auto* source = dynamic_cast<TChartSeries*>(series->DataSource()))
        series->RecalculateFrom(source);
}

void TCustomAxisPanel::CheckCircular(TChartSeries* target, TChartSeries* series) const {
    // Every source counts, not only the first: a cycle through a later source would have the
    // series rebuild each other for ever.
    for (TComponent* c : series->DataSources()) {
        if (c == target) throw ChartException(KivConst::KivMsg_CircularDataSource);
        if (auto* s = dynamic_cast<TChartSeries*>(c)) CheckCircular(target, s);
    }
}

bool TCustomAxisPanel::IsFreeSeriesColor(TColor color, bool checkBackground) const {
    for (const TChartSeries* s : seriesList_)
        if (s->SeriesColor() == color) return false;
    return !(checkBackground && color == Color());
}

TColor TCustomAxisPanel::FreeSeriesColor(bool checkBackground) const {
    for (TColor c : ColorPalette)
        if (IsFreeSeriesColor(c, checkBackground)) return c;
    return ColorPalette[0];
}

int TCustomAxisPanel::LongestSeriesCount() const {
    int longest = 0;
    for (const TChartSeries* s : seriesList_)
        if (s->Active()) longest = std::max(longest, s->PointCount());
    return longest;
}

int TCustomAxisPanel::CountActiveSeries() const {
    return int(std::count_if(seriesList_.begin(), seriesList_.end(),
                             [](const TChartSeries* s) { return s->Active(); }));
}

// ---------------------------------------------------------------------------------------------
// Axes

TChartSeries* TCustomAxisPanel::FirstActiveSeriesOn(const TCustomChartAxis* axis) const {
    for (TChartSeries* s : seriesList_)
        if (s->Active() && s->IsOnAxis(axis)) return s;
    return nullptr;
}

bool TCustomAxisPanel::IsAxisShown(const TCustomChartAxis* axis) const {
    if (!axisVisible_ || !axis->Visible()) return false;
    if (axis->IsDepth()) return View3D();
    for (const TChartSeries* s : seriesList_)
        if (s->Active() && s->NeedsAxes() && s->IsOnAxis(axis)) return true;
    return false;
}

double TCustomAxisPanel::AxisRangeValue(const TCustomChartAxis* axis, bool isMin, bool isX) const {
    if (axis->IsDepth()) {
        if (axis->EffectiveLabelStyle() != talValue) return isMin ? -0.5 : maxZOrder_ + 0.5;
        for (const TChartSeries* s : seriesList_)
            if (s->Active()) return isMin ? s->LowestZ() : s->HighestZ();
        return 0;
    }

    const TChartSeries* first = FirstActiveSeriesOn(axis);
    if (!first)
        for (const TChartSeries* s : seriesList_)
            if (s->IsOnAxis(axis)) {
                first = s;
                break;
            }
    const bool paging = maxPointsPerPage_ > 0 && isX == (!first || first->IsYPrimary());
    if (paging) {
        const int count = first ? first->PointCount() : 0;
        if (count == 0) return 0;
        const int per = maxPointsPerPage_;
        int from = per * (page_ - 1);
        if (from >= count) from = std::max(0, count / per - 1) * per;
        int to = from + per - 1;
        if (to >= count) to = from + count % per - 1;
        const double vFirst = first->PointValue(isX, from);
        if (isMin) return vFirst;
        const double v = first->PointValue(isX, to);
        const int shown = to - from + 1;
        if (!scaleLastPage_ && shown < per) return vFirst + (v - vFirst) * per / shown;
        return v;
    }

    auto drawnAlong = [&](const TChartSeries* s) {
        if (isX) return s->HorizAxis() == aBothHorizAxis || s->ActiveHorizAxis() == axis;
        return s->VertAxis() == aBothVertAxis || s->ActiveVertAxis() == axis;
    };
    const bool anyActive =
        std::any_of(seriesList_.begin(), seriesList_.end(),
                    [&](const TChartSeries* s) { return s->Active() && drawnAlong(s); });
    bool found = false;
    double result = 0;
    for (const TChartSeries* s : seriesList_) {
        if ((anyActive && !s->Active()) || s->PointCount() == 0 || !drawnAlong(s)) continue;
        const double v =
            isMin ? (isX ? s->LowestX() : s->LowestY()) : (isX ? s->HighestX() : s->HighestY());
        if (!found || (isMin ? v < result : v > result)) result = v;
        found = true;
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Paging

int TCustomAxisPanel::PageCount() const {
    if (maxPointsPerPage_ < 1 || seriesList_.Count() == 0) return 1;
    const bool yPrimary = seriesList_[0]->IsYPrimary();
    const TCustomChartAxis* pair[2] = {yPrimary ? bottomAxis_.get() : leftAxis_.get(),
                                       yPrimary ? topAxis_.get() : rightAxis_.get()};
    int pages = 1;
    for (const TCustomChartAxis* axis : pair) {
        int count = 0;
        for (const TChartSeries* s : seriesList_)
            if (s->Active() && s->IsOnAxis(axis)) count = std::max(count, s->PointCount());
        const int p = count <= 0 ? 1 : (count - 1) / maxPointsPerPage_ + 1;
        pages = std::max(pages, p);
    }
    return pages;
}

void TCustomAxisPanel::SetPage(int value) {
    value = std::clamp(value, 1, std::max(1, PageCount()));
    if (page_ == value) return;
    page_ = value;
    Invalidate();
    if (OnPageChange) OnPageChange(this);
}

void TCustomAxisPanel::SetMaxPointsPerPage(int value) {
    if (value < 0) throw ChartException(KivConst::KivMsg_MaxPointsPerPage);
    Store(maxPointsPerPage_, value);
    if (PageCount() < page_) SetPage(PageCount());
}

// ---------------------------------------------------------------------------------------------
// Texts of the series

int TCustomAxisPanel::WidestMarkText() {
    int widest = 0, lines = 0;
    for (TChartSeries* s : seriesList_) {
        if (!s->Active()) continue;
        for (int i = 0, n = s->PointCount(); i < n; ++i)
            widest = std::max(widest, MeasureMultiLineText(s->MarkText(i), lines));
    }
    return widest;
}

int TCustomAxisPanel::WidestPointLabel() {
    int widest = 0, lines = 0;
    for (TChartSeries* s : seriesList_)
        for (int i = 0, n = std::min(s->PointLabelCount(), s->PointCount()); i < n; ++i)
            widest = std::max(widest, MeasureMultiLineText(s->PointLabel(i), lines));
    return widest;
}

std::string TCustomAxisPanel::SeriesLegendTitle(int n) const {
    int k = 0;
    for (const TChartSeries* s : seriesList_) {
        if (!s->Active() || !s->ShowInLegend()) continue;
        if (k++ != n) continue;
        if (!s->Title().empty()) return s->Title();
        if (!s->Name().empty()) return s->Name();
        return KivConst::KivMsg_SeriesTitle + std::to_string(n);
    }
    return {};
}

// ---------------------------------------------------------------------------------------------
// Text measuring

int TCustomAxisPanel::MeasureMultiLineText(std::string_view text, int& lines) {
    TKivCanvas3D& canvas = Canvas();
    lines = 0;
    int widest = 0;
    size_t start = 0;
    for (size_t sep; (sep = text.find(LineSeparator, start)) != std::string_view::npos;
         start = sep + 1) {
        widest = std::max(widest, canvas.MeasureTextWidth(text.substr(start, sep - start)));
        ++lines;
    }
    if (start < text.size() || lines == 0) {
        widest = std::max(widest, canvas.MeasureTextWidth(text.substr(start)));
        ++lines;
    }
    return widest;
}

int TCustomAxisPanel::FontHeight() {
    return Canvas().MeasureFontHeight();
}

void TCustomAxisPanel::ApplyTextFont(TFont& font) {
    font.SetPixelsPerInch(Canvas().Font().PixelsPerInch());
    Canvas().Font() = font;
}

} // namespace kiv
