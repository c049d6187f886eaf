// TChartSeries: data sources, their checks, functions, and source names read from a stream.

#include "chart/engine/AxisPanel.h"
#include "chart/engine/Series.h"

#include "rtl/Format.h"

#include <algorithm>

namespace kiv {

namespace {

bool Contains(const std::vector<TComponent*>& list, const TComponent* c) {
    return std::find(list.begin(), list.end(), c) != list.end();
}

} // namespace

void TChartSeries::CheckDataSource(TComponent* component) {
    if (!parentChart_) throw ChartException(KivConst::KivMsg_NoParentChart);
    if (!component || !parentChart_->IsValidDataSource(this, component))
        throw ChartException(rtl::Format(KivConst::KivMsg_InvalidDataSource,
                                         {component ? component->Name() : std::string()}));
    if (auto* s = dynamic_cast<TChartSeries*>(component)) parentChart_->CheckCircular(this, s);
}

void TChartSeries::LinkSource(TComponent* component) {
    dataSources_.push_back(component);
    if (auto* s = dynamic_cast<TChartSeries*>(component))
        s->AddLinked(this);
    else
        component->FreeNotification(this);
}

void TChartSeries::UnlinkSources() {
    for (TComponent* c : dataSources_) {
        if (auto* s = dynamic_cast<TChartSeries*>(c))
            s->RemoveLinked(this);
        else
            c->RemoveFreeNotification(this);
    }
    dataSources_.clear();
}

template <class Undo> void TChartSeries::RebuildOrUndo(Undo undo) {
    if (!parentChart_) return;
    try {
        parentChart_->RebuildSeries(this);
    } catch (const ChartException&) {
        undo();
        parentChart_->RebuildSeries(this);
        throw;
    }
}

void TChartSeries::SetDataSource(TComponent* value) {
    if (!value) {
        if (dataSources_.empty()) return;
        if (parentChart_) parentChart_->DataSourceRemoved(this, dataSources_[0]);
        UnlinkSources();
        ClearPoints();
        RequestRepaint();
        return;
    }
    CheckDataSource(value);
    if (Contains(dataSources_, value)) return;
    if (Loading()) {
        LinkSource(value);
        return;
    }
    const std::vector<TComponent*> old = dataSources_;
    UnlinkSources();
    LinkSource(value);
    RebuildOrUndo([&] {
        UnlinkSources();
        for (TComponent* c : old) LinkSource(c);
    });
}

void TChartSeries::SetDataSources(const std::vector<TComponent*>& sources) {
    std::vector<TComponent*> wanted;
    for (TComponent* c : sources) {
        if (Contains(wanted, c)) continue;
        CheckDataSource(c);
        wanted.push_back(c);
    }
    if (wanted.empty()) return SetDataSource(nullptr);
    if (wanted == dataSources_) return;
    const std::vector<TComponent*> old = dataSources_;
    if (!Loading()) UnlinkSources();
    for (TComponent* c : wanted)
        if (!Contains(dataSources_, c)) LinkSource(c);
    if (Loading()) return;
    RebuildOrUndo([&] {
        UnlinkSources();
        for (TComponent* c : old) LinkSource(c);
    });
}

void TChartSeries::AttachFunction(std::unique_ptr<TKivFunction> function) {
    std::unique_ptr<TKivFunction> old = std::move(seriesFunction_);
    seriesFunction_ = std::move(function);
    if (seriesFunction_) seriesFunction_->SetParentSeries(this);
    RebuildOrUndo([&] { seriesFunction_ = std::move(old); });
}

void TChartSeries::Notification(TComponent* removed) {
    auto it = std::find(dataSources_.begin(), dataSources_.end(), removed);
    if (it == dataSources_.end()) return;
    if (it == dataSources_.begin())
        SetDataSource(nullptr);
    else
        dataSources_.erase(it);
}

void TChartSeries::EndLoading() {
    TComponent::EndLoading();
    if (!pendingSources_.empty()) {
        UnlinkSources();
        // Names that are not found, or name a source the chart would refuse, add nothing.
        for (const std::string& name : pendingSources_) {
            if (!parentChart_) break;
            for (TChartSeries* s : parentChart_->SeriesList()) {
                if (s->Name() != name || Contains(dataSources_, s)) continue;
                try {
                    CheckDataSource(s);
                    LinkSource(s);
                } catch (const ChartException&) {
                }
                break;
            }
        }
        pendingSources_.clear();
    }
    if (parentChart_ && !dataSources_.empty()) parentChart_->RebuildSeries(this);
}

} // namespace kiv
