// TChartSeries: points, colours, labels and the notifications every change sends.

#include "chart/engine/Series.h"

#include "GapArray.h"
#include "chart/canvas/Rounding.h"
#include "chart/engine/AxisPanel.h"
#include "chart/procs/Palette.h"

#include "rtl/Format.h"
#include "rtl/FormatFloat.h"

#include <algorithm>
#include <cmath>

namespace kiv {

namespace {

std::unique_ptr<std::string> OwnedLabel(const std::string& label) {
    return label.empty() ? nullptr : std::make_unique<std::string>(label);
}

void CheckListIndex(int index, int count) {
    if (index < 0 || index >= count)
        throw rtl::EListError(rtl::Format("List index out of bounds (%d)", {int64_t(index)}));
}

} // namespace

struct TChartSeries::TPointColors : GapArray<TColor> {};
struct TChartSeries::TPointLabels : GapArray<std::unique_ptr<std::string>> {};

TChartSeries::TChartSeries()
    : pointColors_(std::make_unique<TPointColors>()),
      pointLabels_(std::make_unique<TPointLabels>()), marks_(std::make_unique<TSeriesMarks>(this)) {
    xValues_ = &AddValueList(KivConst::KivMsg_ValuesX);
    xValues_->SetOrder(loAscending);
    yValues_ = &AddValueList(KivConst::KivMsg_ValuesY);
}

TChartSeries::~TChartSeries() {
    seriesFunction_.reset();
    UnlinkSources();
    // Dependent series lose this source and rebuild from what they have left.
    std::vector<TChartSeries*> linked = linkedSeries_;
    for (TChartSeries* s : linked) {
        auto& sources = s->dataSources_;
        sources.erase(std::remove(sources.begin(), sources.end(), this), sources.end());
        if (s->parentChart_) s->parentChart_->RebuildSeries(s);
    }
    ClearPoints();
    linkedSeries_.clear();
    if (parentChart_) parentChart_->RemoveSeriesFromChart(this);
}

TChartValueList& TChartSeries::AddValueList(const std::string& name) {
    return *valueLists_.Add(std::make_unique<TChartValueList>(this, name));
}

// ---------------------------------------------------------------------------------------------
// Properties

void TChartSeries::SetActive(bool value) {
    Store(active_, value);
}

void TChartSeries::SetColorEachPoint(bool value) {
    if (colorEachPoint_ == value) return;
    colorEachPoint_ = value;
    if (!value)
        for (int i = 0, n = PointColorCount(); i < n; ++i) SetPointColor(i, AutoColor);
    RequestRepaint();
}

void TChartSeries::SetColorSource(const std::string& value) {
    if (colorSource_ == value) return;
    colorSource_ = value;
    if (parentChart_) parentChart_->RebuildSeries(this);
}

void TChartSeries::SetXLabelsSource(const std::string& value) {
    if (xLabelsSource_ == value) return;
    xLabelsSource_ = value;
    if (parentChart_) parentChart_->RebuildSeries(this);
}

void TChartSeries::SetSeriesColor(TColor value) {
    Store(seriesColor_, value);
}

void TChartSeries::SetHorizAxis(THorizAxis value) {
    if (horizAxis_ == value) return;
    horizAxis_ = value;
    RecalcActiveAxes();
    RequestRepaint();
}

void TChartSeries::SetVertAxis(TVertAxis value) {
    if (vertAxis_ == value) return;
    vertAxis_ = value;
    RecalcActiveAxes();
    RequestRepaint();
}

void TChartSeries::SetUserHorizAxis(TCustomChartAxis* axis) {
    userHorizAxis_ = axis;
    RecalcActiveAxes();
    RequestRepaint();
}

void TChartSeries::SetUserVertAxis(TCustomChartAxis* axis) {
    userVertAxis_ = axis;
    RecalcActiveAxes();
    RequestRepaint();
}

void TChartSeries::SetParentChart(TCustomAxisPanel* value) {
    if (parentChart_ == value) return;
    if (parentChart_) parentChart_->RemoveSeriesFromChart(this);
    parentChart_ = value;
    RecalcActiveAxes();
    if (parentChart_) parentChart_->AddSeriesToChart(this);
}

void TChartSeries::RecalcActiveAxes() {
    if (!parentChart_) {
        activeHorizAxis_ = activeVertAxis_ = nullptr;
        return;
    }
    activeHorizAxis_ = &parentChart_->BottomAxis();
    if (horizAxis_ == aTopAxis)
        activeHorizAxis_ = &parentChart_->TopAxis();
    else if (horizAxis_ == aCustomHorizAxis && userHorizAxis_)
        activeHorizAxis_ = userHorizAxis_;
    activeVertAxis_ = &parentChart_->LeftAxis();
    if (vertAxis_ == aRightAxis)
        activeVertAxis_ = &parentChart_->RightAxis();
    else if (vertAxis_ == aCustomVertAxis && userVertAxis_)
        activeVertAxis_ = userVertAxis_;
}

bool TChartSeries::IsOnAxis(const TCustomChartAxis* axis) const {
    if (!NeedsAxes() || !axis) return false;
    if (axis->IsHorizontal()) return horizAxis_ == aBothHorizAxis || axis == activeHorizAxis_;
    return vertAxis_ == aBothVertAxis || axis == activeVertAxis_;
}

void TChartSeries::RequestRepaint() const {
    if (parentChart_) parentChart_->Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Points

void TChartSeries::InsertPointExtras(int index, const std::string& label, TColor color) {
    // Lists that fell short (points copied without colours or labels) are padded first, so the
    // new entries land at the point's index and no entry belongs to the wrong point.
    if (int(pointColors_->size()) < index) pointColors_->grow_to(size_t(index), AutoColor);
    pointColors_->insert(size_t(index), color);
    // Unlabelled points past the end of the label list need no entry: reading gives "".
    if (label.empty() && index >= int(pointLabels_->size())) return;
    if (int(pointLabels_->size()) < index) pointLabels_->grow_to(size_t(index));
    pointLabels_->insert(size_t(index), OwnedLabel(label));
}

int TChartSeries::AppendPoint(double x, double y, const std::string& label, TColor color) {
    xValues_->PendingValue = x;
    yValues_->PendingValue = y;
    if (OnBeforeAdd && !OnBeforeAdd(this)) return -1;
    const int index = xValues_->InsertOrdered(xValues_->PendingValue);
    yValues_->InsertAt(index, yValues_->PendingValue);
    InsertExtraValues(index);
    InsertPointExtras(index, label, color);
    PointAdded(index);
    return index;
}

void TChartSeries::AppendPoints(const double* x, const double* y, int count) {
    if (count <= 0) return;
    const bool plain = valueLists_.Count() == 2 && PointCount() == 0 &&
                       yValues_->ItemCount() == 0 && pointColors_->empty() &&
                       pointLabels_->empty() && !OnBeforeAdd && !OnAfterAdd &&
                       linkedSeries_.empty();
    std::vector<int> order;
    if (!plain || !xValues_->InsertionOrder(x, count, order)) {
        for (int i = 0; i < count; ++i) AppendPoint(x[i], y[i], {}, AutoColor);
        return;
    }
    xValues_->PendingValue = x[count - 1];
    yValues_->PendingValue = y[count - 1];
    xValues_->AppendValues(x, order.data(), count);
    yValues_->AppendValues(y, order.data(), count);
    std::fill_n(pointColors_->extend(size_t(count)), count, AutoColor);
    if (active_) RequestRepaint();
}

void TChartSeries::PointAdded(int index) {
    if (OnAfterAdd) OnAfterAdd(this, index);
    NotifyLinked(LinkInserted, index);
    if (active_) RequestRepaint();
}

void TChartSeries::InsertExtraValues(int index) {
    for (int k = 2; k < valueLists_.Count(); ++k)
        valueLists_[k]->InsertAt(index, valueLists_[k]->PendingValue);
}

int TChartSeries::AppendValue(double value, const std::string& label, TColor color) {
    const double count = PointCount();
    return IsYPrimary() ? AppendPoint(count, value, label, color)
                        : AppendPoint(value, count, label, color);
}

int TChartSeries::AppendNull(const std::string& label) {
    return AppendValue(0, label, NoColor);
}

int TChartSeries::AppendNullPoint(double x, double y, const std::string& label) {
    return AppendPoint(x, y, label, NoColor);
}

void TChartSeries::DeletePoint(int index) {
    CheckListIndex(index, PointCount());
    for (const auto& list : valueLists_)
        if (index < list->ItemCount()) list->RemoveAt(index);
    if (index < int(pointColors_->size())) pointColors_->erase(size_t(index));
    if (index < int(pointLabels_->size())) pointLabels_->erase(size_t(index));
    marks_->Positions().Delete(index);
    NotifyLinked(LinkDeleted, index);
    if (active_) RequestRepaint();
}

void TChartSeries::EmptyLists() {
    for (const auto& list : valueLists_) list->RemoveAll();
    pointColors_->clear();
    pointLabels_->clear();
    marks_->ClearPositions();
}

void TChartSeries::ClearPoints() {
    EmptyLists();
    if (OnClearValues) OnClearValues(this);
    NotifyLinked(LinkCleared);
    if (active_ && parentChart_ && !parentChart_->Destroying()) RequestRepaint();
}

void TChartSeries::SwapPoints(int a, int b) {
    for (const auto& list : valueLists_) list->SwapValues(a, b);
    const int colors = int(pointColors_->size());
    if (a < colors && b < colors) pointColors_->swap_items(size_t(a), size_t(b));
    const int labels = int(pointLabels_->size());
    if (a < labels && b < labels) pointLabels_->swap_items(size_t(a), size_t(b));
    // A list shorter than one of the two points: grow it so the entries can trade places.
    if ((a < colors) != (b < colors)) {
        pointColors_->grow_to(size_t(std::max(a, b) + 1), AutoColor);
        pointColors_->swap_items(size_t(a), size_t(b));
    }
    if ((a < labels) != (b < labels)) {
        pointLabels_->grow_to(size_t(std::max(a, b) + 1));
        pointLabels_->swap_items(size_t(a), size_t(b));
    }
}

int TChartSeries::PointColorCount() const {
    return int(pointColors_->size());
}

int TChartSeries::PointLabelCount() const {
    return int(pointLabels_->size());
}

std::string TChartSeries::PointLabel(int index) const {
    if (index < 0 || index >= int(pointLabels_->size()) || !(*pointLabels_)[size_t(index)])
        return {};
    return *(*pointLabels_)[size_t(index)];
}

void TChartSeries::SetPointLabel(int index, const std::string& label) {
    CheckListIndex(index, PointCount());
    if (int(pointLabels_->size()) <= index) pointLabels_->grow_to(size_t(index) + 1);
    if (PointLabel(index) == label) return;
    (*pointLabels_)[size_t(index)] = OwnedLabel(label);
    RequestRepaint();
}

TColor TChartSeries::PointColor(int index) const {
    if (index < 0 || index >= int(pointColors_->size())) return seriesColor_;
    const TColor c = (*pointColors_)[size_t(index)];
    if (c != AutoColor) return c;
    return colorEachPoint_ ? GetDefaultColor(index) : seriesColor_;
}

void TChartSeries::SetPointColor(int index, TColor color) {
    CheckListIndex(index, PointCount());
    if (int(pointColors_->size()) <= index) {
        pointColors_->grow_to(size_t(index) + 1, AutoColor);
    }
    (*pointColors_)[size_t(index)] = color;
    RequestRepaint();
}

TChartValueList& TChartSeries::ValueListByName(const std::string& name) const {
    auto upper = [](std::string s) {
        for (char& c : s)
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        return s;
    };
    const std::string wanted = upper(name);
    for (int k = 2; k < valueLists_.Count(); ++k)
        if (upper(valueLists_[k]->Name()) == wanted) return *valueLists_[k];
    return *yValues_;
}

// ---------------------------------------------------------------------------------------------
// Dependent series

void TChartSeries::NotifyEachLinked(TSeriesLinkEvent event, int index) {
    if (addingSamples_ && event == LinkInserted) return;
    // A dependent series may leave the list while it reacts; walk a copy.
    const std::vector<TChartSeries*> linked = linkedSeries_;
    for (TChartSeries* s : linked) {
        const unsigned flags = s->linkUpdateFlags_;
        switch (event) {
        case LinkCleared:
            if (flags & UpdateOnClear) s->ClearPoints();
            break;
        case LinkInserted:
            if (!(flags & UpdateOnInsert)) break;
            if (s->seriesFunction_)
                s->seriesFunction_->SourcePointAdded(this, index);
            else
                s->SourcePointAdded(this, index);
            break;
        case LinkDeleted:
            if ((flags & UpdateOnDelete) && !s->seriesFunction_) s->SourcePointDeleted(this, index);
            break;
        case LinkModified:
            if (flags & UpdateOnModify) s->RecalculateFrom(this);
            break;
        case LinkRefreshed:
            s->RecalculateFrom(this);
            break;
        }
    }
}

int TChartSeries::CopyPointFrom(TChartSeries* source, int index) {
    double x = source->xValues_->ValueAt(index);
    double y = source->yValues_->ValueAt(index);
    if (IsYPrimary() != source->IsYPrimary()) std::swap(x, y);
    const int at = xValues_->InsertOrdered(x);
    yValues_->InsertAt(at, y);
    for (int k = 2; k < valueLists_.Count(); ++k) {
        const double v =
            k < source->valueLists_.Count() && index < source->valueLists_[k]->ItemCount()
                ? source->valueLists_[k]->ValueAt(index)
                : 0.0;
        valueLists_[k]->InsertAt(at, v);
    }
    return at;
}

void TChartSeries::SourcePointAdded(TChartSeries* source, int index) {
    const int at = CopyPointFrom(source, index);
    const bool hasColor = index < source->PointColorCount();
    const bool hasLabel = index < source->PointLabelCount();
    if (hasColor || hasLabel) {
        if (hasColor) {
            if (int(pointColors_->size()) < at) pointColors_->grow_to(size_t(at), AutoColor);
            pointColors_->insert(size_t(at), (*source->pointColors_)[size_t(index)]);
        }
        if (hasLabel) {
            if (int(pointLabels_->size()) < at) pointLabels_->grow_to(size_t(at));
            pointLabels_->insert(size_t(at), OwnedLabel(source->PointLabel(index)));
        }
    }
    // Entries after the new point keep belonging to their points.
    if (!hasColor && at < int(pointColors_->size())) pointColors_->insert(size_t(at), AutoColor);
    if (!hasLabel && at < int(pointLabels_->size())) pointLabels_->insert(size_t(at), nullptr);
    PointAdded(at);
}

void TChartSeries::SourcePointDeleted(TChartSeries*, int index) {
    DeletePoint(index);
}

void TChartSeries::RecalculateFrom(TChartSeries* source) {
    if (!AcceptsSource(source)) return;
    ClearPoints();
    if (seriesFunction_) {
        xValues_->SetDateTime(source->xValues_->DateTime());
        yValues_->SetDateTime(source->yValues_->DateTime());
        seriesFunction_->AddFunctionPoints(source);
    } else {
        for (int i = 0, n = source->PointCount(); i < n; ++i) SourcePointAdded(source, i);
    }
    RefreshLinked();
}

void TChartSeries::AddLinked(TChartSeries* series) {
    if (std::find(linkedSeries_.begin(), linkedSeries_.end(), series) == linkedSeries_.end())
        linkedSeries_.push_back(series);
}

void TChartSeries::RemoveLinked(TChartSeries* series) {
    linkedSeries_.erase(std::remove(linkedSeries_.begin(), linkedSeries_.end(), series),
                        linkedSeries_.end());
}

// ---------------------------------------------------------------------------------------------
// Copying

void TChartSeries::Assign(const TChartSeries& source) {
    if (&source == this) return;
    SetTag(source.Tag());
    if (!dataSources_.empty()) {
        if (parentChart_) parentChart_->DataSourceRemoved(this, dataSources_[0]);
        UnlinkSources();
        ClearPoints();
    }
    if (IsYPrimary() == source.IsYPrimary()) {
        xValues_->Assign(*source.xValues_);
        yValues_->Assign(*source.yValues_);
    } else {
        xValues_->Assign(*source.yValues_);
        yValues_->Assign(*source.xValues_);
    }
    xLabelsSource_ = source.xLabelsSource_;
    colorSource_ = source.colorSource_;
    for (int k = 2; k < std::min(valueLists_.Count(), source.valueLists_.Count()); ++k)
        valueLists_[k]->Assign(*source.valueLists_[k]);
    auto& from = const_cast<TChartSeries&>(source);
    if (from.seriesFunction_ && !seriesFunction_) {
        seriesFunction_ = std::move(from.seriesFunction_);
        seriesFunction_->SetParentSeries(this);
    }
    if (!source.dataSources_.empty()) {
        dataSources_ = source.dataSources_;
        for (TComponent* c : dataSources_)
            if (auto* s = dynamic_cast<TChartSeries*>(c)) s->AddLinked(this);
    } else {
        RecalculateFrom(&from);
    }
    marks_->Assign(*source.marks_);
    seriesColor_ = source.seriesColor_;
    colorEachPoint_ = source.colorEachPoint_;
    title_ = source.title_;
    valueFormat_ = source.valueFormat_;
    percentFormat_ = source.percentFormat_;
    active_ = source.active_;
    horizAxis_ = source.horizAxis_;
    vertAxis_ = source.vertAxis_;
    RecalcActiveAxes();
    linkUpdateFlags_ = source.linkUpdateFlags_;
    cursor_ = source.cursor_;
    showInLegend_ = source.showInLegend_;
    styleSet_ = source.styleSet_;
    identifier_ = source.identifier_;
    if (parentChart_) {
        parentChart_->RebuildSeries(this);
        parentChart_->Invalidate();
    }
}

// ---------------------------------------------------------------------------------------------
// Axes, visible range and drawing order

int TChartSeries::XToScreen(double value) const {
    return activeHorizAxis_ ? activeHorizAxis_->ValueToPixel(value) : 0;
}

int TChartSeries::YToScreen(double value) const {
    return activeVertAxis_ ? activeVertAxis_->ValueToPixel(value) : 0;
}

double TChartSeries::ScreenToX(int pixel) const {
    return activeHorizAxis_ ? activeHorizAxis_->PixelToValue(pixel) : 0.0;
}

void TChartSeries::UpdateVisibleRange() {
    firstVisible_ = lastVisible_ = -1;
    const int count = PointCount();
    if (count == 0) return;
    const int n = count - 1;
    const TChartValueList& list = IsYPrimary() ? *xValues_ : *yValues_;
    const TCustomChartAxis* axis = IsYPrimary() ? activeHorizAxis_ : activeVertAxis_;
    if (!clipToVisibleRange_ || list.Order() == loNone || !axis || !parentChart_) {
        firstVisible_ = 0;
        lastVisible_ = n;
        return;
    }
    const TRect& r = parentChart_->ChartRect();
    const bool inverted = axis->Inverted();
    double nearValue, farValue;
    if (IsYPrimary()) {
        nearValue = axis->PixelToValue(inverted ? r.right : r.left);
        farValue = axis->PixelToValue(inverted ? r.left : r.right);
    } else {
        nearValue = axis->PixelToValue(inverted ? r.top : r.bottom);
        farValue = axis->PixelToValue(inverted ? r.bottom : r.top);
    }
    int first = 0;
    while (list.ValueAt(first) < nearValue)
        if (++first > n) return;
    firstVisible_ = first;
    if (list.LastValue() <= farValue) {
        lastVisible_ = n;
        return;
    }
    int last = first;
    while (last <= n && list.ValueAt(last) < farValue) ++last;
    if (last > n) last = n;
    if (!keepPointBeyondEdge_ && list.ValueAt(last) > farValue) --last;
    lastVisible_ = last;
}

void TChartSeries::FireBeforeDrawValues() {
    if (BeforeDrawValues) BeforeDrawValues(this);
}

void TChartSeries::FireAfterDrawValues() {
    if (AfterDrawValues) AfterDrawValues(this);
}

void TChartSeries::DrawVisiblePoints() {
    if (lastVisible_ < firstVisible_ || firstVisible_ < 0) return;
    if (DrawsForward())
        for (int i = firstVisible_; i <= lastVisible_; ++i) DrawPoint(i);
    else
        for (int i = lastVisible_; i >= firstVisible_; --i) DrawPoint(i);
}

void TChartSeries::AssignZOrder() {
    if (!parentChart_) return;
    if (depthOrder_ == -1) {
        if (parentChart_->View3D()) {
            parentChart_->SetMaxZOrder(parentChart_->MaxZOrder() + 1);
            autoDepthOrder_ = parentChart_->MaxZOrder();
        } else {
            autoDepthOrder_ = 0;
        }
    } else {
        parentChart_->SetMaxZOrder(std::max(parentChart_->MaxZOrder(), EffectiveZOrder()));
    }
}

void TChartSeries::SetDepthBand(int start, int end) {
    startZ_ = start;
    endZ_ = end;
    middleZ_ = HalfSum(start, end);
    marks_->SetMarkDepth(middleZ_);
}

bool TChartSeries::SharesZOrder() const {
    if (!parentChart_ || !parentChart_->ApplyZOrder()) return false;
    for (TChartSeries* s : parentChart_->SeriesList())
        if (s != this && s->Active() && !s->HasDepthValues() &&
            s->EffectiveZOrder() == EffectiveZOrder())
            return true;
    return false;
}

bool TChartSeries::IsRelatedTo(const TChartSeries& other) const {
    return typeid(*this) == typeid(other) || InheritsFrom(typeid(other)) ||
           other.InheritsFrom(typeid(*this));
}

double TChartSeries::StackedOrigin(int index, bool sumAll) const {
    if (!parentChart_) return 0;
    double sum = 0;
    for (TChartSeries* s : parentChart_->SeriesList()) {
        if (!sumAll && s == this) break;
        if (s->Active() && IsRelatedTo(*s) && s->PointCount() > index) {
            const double v = s->OriginOf(index);
            if (v > 0) sum += v;
        }
    }
    return sum;
}

bool TChartSeries::MouseClicked(TMouseButton button, TShiftState shift, int x, int y,
                                bool isDouble) {
    // The chart's cancel flag carries the answer: a handler may clear it to let the click
    // through to zooming, panning and the background event.
    auto setCancel = [this](bool value) {
        if (parentChart_) parentChart_->SetCancelMouse(value);
    };
    setCancel(false);
    bool called = false;
    const int index = HitTest(x, y);
    if (isDouble && OnDblClick) {
        setCancel(called = true);
        OnDblClick(this, index, button, shift, x, y);
    } else if (OnClick) {
        setCancel(called = true);
        OnClick(this, index, button, shift, x, y);
    }
    return parentChart_ ? parentChart_->CancelMouse() : called;
}

// ---------------------------------------------------------------------------------------------
// Texts

std::string TChartSeries::PercentText(int index, bool withTotal) const {
    const TChartValueList& list = PrimaryValues();
    const double total = list.AbsSum();
    const double p = total != 0 ? std::fabs(MarkValueOf(index)) * 100 / total : 100;
    std::string text = rtl::FormatFloat(percentFormat_, p);
    if (withTotal)
        text =
            rtl::Format(KivConst::KivMsg_PercentOf, {text, rtl::FormatFloat(valueFormat_, total)});
    return text;
}

std::string TChartSeries::MarkText(int index) const {
    auto valueText = [&] { return rtl::FormatFloat(valueFormat_, MarkValueOf(index)); };
    auto labelOrValue = [&] {
        std::string label = PointLabel(index);
        return label.empty() ? valueText() : label;
    };
    std::string text;
    switch (marks_->Style()) {
    case smsValue:
        text = valueText();
        break;
    case smsPercent:
        text = PercentText(index, false);
        break;
    case smsLabel:
        text = labelOrValue();
        break;
    case smsLabelPercent:
        text = labelOrValue() + " " + PercentText(index, false);
        break;
    case smsLabelValue:
        text = labelOrValue() + " " + valueText();
        break;
    case smsLegend:
        if (parentChart_) text = parentChart_->LegendValueText(this, index);
        break;
    case smsPercentTotal:
        text = PercentText(index, true);
        break;
    case smsLabelPercentTotal:
        text = labelOrValue() + " " + PercentText(index, true);
        break;
    case smsXValue:
        text = activeHorizAxis_ ? activeHorizAxis_->LabelText(PointX(index))
                                : rtl::FormatFloat(valueFormat_, PointX(index));
        break;
    }
    if (OnGetMarkText) OnGetMarkText(const_cast<TChartSeries*>(this), index, text);
    return text;
}

std::string TChartSeries::LegendItemText(int item, TLegendTextStyle style) const {
    const int i = LegendItemToIndex(item);
    std::string label = PointLabel(i);
    if (style == ltsPlain) return label;
    const double value = MarkValueOf(i);
    const std::string v = rtl::FormatFloat(valueFormat_, value);
    auto percent = [&] {
        const double total = PrimaryValues().AbsSum();
        return rtl::FormatFloat(percentFormat_, total != 0 ? value * 100 / total : 100);
    };
    switch (style) {
    case ltsLeftValue:
        return v + " " + label;
    case ltsRightValue:
        return label + " " + v;
    case ltsLeftPercent:
        return percent() + " " + label;
    case ltsRightPercent:
        return label + " " + percent();
    case ltsXValue:
        return activeHorizAxis_ ? activeHorizAxis_->LabelText(PointX(i))
                                : rtl::FormatFloat(valueFormat_, PointX(i));
    default:
        return label;
    }
}

} // namespace kiv
