// The series base class: its value lists, per-point colours and labels, marks, data sources and
// dependent series, the axes it is drawn against, and the hooks of the drawing pass.
#pragma once

#include "chart/KivConst.h"
#include "chart/canvas/PublishedProperties.h"
#include "chart/canvas/Styles.h"
#include "chart/engine/Function.h"
#include "chart/engine/Marks.h"
#include "chart/engine/SampleRandom.h"
#include "chart/engine/Settings.h"
#include "chart/engine/ValueList.h"
#include "chart/procs/Component.h"
#include "chart/procs/Input.h"

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace kiv {

class TCustomAxisPanel;
class TCustomChartAxis;

enum THorizAxis { aTopAxis, aBottomAxis, aBothHorizAxis, aCustomHorizAxis };
enum TVertAxis { aLeftAxis, aRightAxis, aBothVertAxis, aCustomVertAxis };

// What a series tells the series that take it as a data source.
enum TSeriesLinkEvent { LinkCleared, LinkInserted, LinkDeleted, LinkModified, LinkRefreshed };

// Which changes of a source a dependent series follows.
enum : unsigned { UpdateOnDelete = 1, UpdateOnModify = 2, UpdateOnInsert = 4, UpdateOnClear = 8 };
constexpr unsigned AllLinkUpdates =
    UpdateOnDelete | UpdateOnModify | UpdateOnInsert | UpdateOnClear;

enum TLegendTextStyle {
    ltsPlain,
    ltsLeftValue,
    ltsRightValue,
    ltsLeftPercent,
    ltsRightPercent,
    ltsXValue
};

using TSeriesNotify = std::function<void(TChartSeries* sender)>;
using TSeriesOnAfterAdd = std::function<void(TChartSeries* sender, int valueIndex)>;
using TSeriesOnBeforeAdd = std::function<bool(TChartSeries* sender)>;
using TSeriesOnClear = std::function<void(TChartSeries* sender)>;
using TSeriesClick = std::function<void(TChartSeries* sender, int valueIndex, TMouseButton button,
                                        TShiftState shift, int x, int y)>;
using TSeriesOnGetMarkText =
    std::function<void(TChartSeries* sender, int valueIndex, std::string& markText)>;

// The base of every series: its value lists, colours, labels, marks, axes and data sources.
class TChartSeries : public TComponent, public TPublishedProperties<TChartSeries> {
public:
    TChartSeries();
    // Frees the function, leaves its sources, lets dependent series drop it, empties itself
    // (dependent series following clears are emptied too) and leaves its chart.
    ~TChartSeries() override;

    // Copies settings, sources or points from another series.
    virtual void Assign(const TChartSeries& source);

    // Published properties
    bool Active() const { return active_; }
    virtual void SetActive(bool value);
    bool ColorEachPoint() const { return colorEachPoint_; }
    virtual void SetColorEachPoint(bool value);
    const std::string& ColorSource() const { return colorSource_; }
    void SetColorSource(const std::string& value);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value) { Store(cursor_, value); }
    THorizAxis HorizAxis() const { return horizAxis_; }
    void SetHorizAxis(THorizAxis value);
    TSeriesMarks& Marks() { return *marks_; }
    const TSeriesMarks& Marks() const { return *marks_; }
    TCustomAxisPanel* ParentChart() const { return parentChart_; }
    virtual void SetParentChart(TCustomAxisPanel* value);
    const std::string& PercentFormat() const { return percentFormat_; }
    void SetPercentFormat(const std::string& value) { Store(percentFormat_, value); }
    TColor SeriesColor() const { return seriesColor_; }
    virtual void SetSeriesColor(TColor value);
    bool ShowInLegend() const { return showInLegend_; }
    void SetShowInLegend(bool value) { Store(showInLegend_, value); }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& value) { Store(title_, value); }
    const std::string& ValueFormat() const { return valueFormat_; }
    void SetValueFormat(const std::string& value) { Store(valueFormat_, value); }
    TVertAxis VertAxis() const { return vertAxis_; }
    void SetVertAxis(TVertAxis value);
    const std::string& XLabelsSource() const { return xLabelsSource_; }
    void SetXLabelsSource(const std::string& value);
    TChartValueList& XValues() const { return *xValues_; }
    TChartValueList& YValues() const { return *yValues_; }
    const TChartValueLists& ValueLists() const { return valueLists_; }

    // Events
    TSeriesNotify AfterDrawValues;
    TSeriesNotify BeforeDrawValues;
    TSeriesOnAfterAdd OnAfterAdd;
    TSeriesOnBeforeAdd OnBeforeAdd;
    TSeriesOnClear OnClearValues;
    TSeriesClick OnClick;
    TSeriesClick OnDblClick;
    TSeriesOnGetMarkText OnGetMarkText;

    // Adding, deleting and reading points
    virtual int AppendPoint(double x, double y, const std::string& label = {},
                            TColor color = AutoColor);
    // Leaves what AppendPoint(x[i], y[i]) for i = 0 to count - 1 leaves. An empty series with
    // no hooks and no dependent series takes them in one pass with one repaint request; a
    // kind that adds a point its own way (more value lists, or an override of this) takes
    // them one by one.
    virtual void AppendPoints(const double* x, const double* y, int count);
    virtual int AppendValue(double value, const std::string& label = {}, TColor color = AutoColor);
    virtual int AppendNull(const std::string& label = {});
    virtual int AppendNullPoint(double x, double y, const std::string& label = {});
    virtual void DeletePoint(int index);
    virtual void ClearPoints();
    virtual void SwapPoints(int a, int b);
    virtual void InsertExtraValues(int index);
    virtual void ResetPending(TChartValueList& list) { list.PendingValue = 0; }

    int PointCount() const { return xValues_->ItemCount(); }
    virtual double PointX(int index) const { return xValues_->ValueAt(index); }
    virtual double PointY(int index) const { return yValues_->ValueAt(index); }
    double PointValue(bool isX, int index) const { return isX ? PointX(index) : PointY(index); }
    virtual std::string PointLabel(int index) const;
    void SetPointLabel(int index, const std::string& label);
    virtual TColor PointColor(int index) const;
    void SetPointColor(int index, TColor color);
    bool IsNullPoint(int index) const { return PointColor(index) == NoColor; }
    // Entries stored so far; either may be shorter than PointCount.
    int PointColorCount() const;
    int PointLabelCount() const;

    virtual double HighestX() const { return xValues_->HighValue(); }
    virtual double HighestY() const { return yValues_->HighValue(); }
    virtual double HighestZ() const { return EffectiveZOrder(); }
    virtual double LowestX() const { return xValues_->LowValue(); }
    virtual double LowestY() const { return yValues_->LowValue(); }
    virtual double LowestZ() const { return EffectiveZOrder(); }
    virtual TChartValueList& PrimaryValues() const { return *yValues_; }
    bool IsYPrimary() const { return &PrimaryValues() == yValues_; }
    virtual double MarkValueOf(int index) const { return PrimaryValues().ValueAt(index); }
    virtual double OriginOf(int index) const { return PrimaryValues().ValueAt(index); }
    virtual TChartValueList& ValueListByName(const std::string& name) const;

    // Dependent series and data sources
    void NotifyLinked(TSeriesLinkEvent event, int index = -1) {
        if (!linkedSeries_.empty()) NotifyEachLinked(event, index);
    }
    void RefreshLinked() { NotifyLinked(LinkRefreshed); }
    unsigned LinkUpdateFlags() const { return linkUpdateFlags_; }
    void SetLinkUpdateFlags(unsigned value) { linkUpdateFlags_ = value & AllLinkUpdates; }
    const std::vector<TComponent*>& DataSources() const { return dataSources_; }
    TComponent* DataSource() const { return dataSources_.empty() ? nullptr : dataSources_[0]; }
    // Takes the points of value (a series, or an outside source the chart accepts) in place of
    // every source so far; nullptr leaves every source and empties the series. Raises
    // ChartException, keeping the old sources, without a chart, for a source the chart does not
    // accept, or for one that depends on this series.
    void SetDataSource(TComponent* value);
    // Several sources at once (a function combines them), with the same checks for each.
    void SetDataSources(const std::vector<TComponent*>& sources);
    const std::vector<TChartSeries*>& LinkedSeries() const { return linkedSeries_; }
    std::vector<std::string>& PendingSources() { return pendingSources_; }
    TKivFunction* SeriesFunction() const { return seriesFunction_.get(); }
    virtual int CopyPointFrom(TChartSeries* source, int index);
    virtual void SourcePointAdded(TChartSeries* source, int index);
    virtual void SourcePointDeleted(TChartSeries* source, int index);
    virtual void RecalculateFrom(TChartSeries* source);
    virtual bool AcceptsSource(TChartSeries* source) const { return source != this; }
    virtual bool AcceptsSeriesSource(TChartSeries*) const { return true; }
    // Leaves every source series and empties DataSources.
    void UnlinkSources();
    // Owns function from now on (nullptr: none) and rebuilds from the sources through it.
    virtual void AttachFunction(std::unique_ptr<TKivFunction> function);
    // Resolves the source names read from a stream among the chart's series and rebuilds.
    void EndLoading() override;

    // Sample values: NumValues random points (raises ChartException below 1), added with the
    // chart's automatic repaint off; dependent series and the chart are told once at the end.
    void FillSampleValues(int numValues);
    virtual int SampleCount() const { return 26; }

    // Axes and pixels
    TCustomChartAxis* ActiveHorizAxis() const { return activeHorizAxis_; }
    TCustomChartAxis* ActiveVertAxis() const { return activeVertAxis_; }
    TCustomChartAxis* UserHorizAxis() const { return userHorizAxis_; }
    void SetUserHorizAxis(TCustomChartAxis* axis);
    TCustomChartAxis* UserVertAxis() const { return userVertAxis_; }
    void SetUserVertAxis(TCustomChartAxis* axis);
    virtual bool IsOnAxis(const TCustomChartAxis* axis) const;
    virtual bool NeedsAxes() const { return true; }
    int XToScreen(double value) const;
    int YToScreen(double value) const;
    int ValueToScreen(double value) const {
        return IsYPrimary() ? YToScreen(value) : XToScreen(value);
    }
    double ScreenToX(int pixel) const;
    virtual int PointScreenX(int index) const { return XToScreen(PointX(index)); }
    virtual int PointScreenY(int index) const { return YToScreen(PointY(index)); }
    virtual void HorizontalMargins(int& a, int& b) const { a = b = 0; }
    virtual void VerticalMargins(int& a, int& b) const { a = b = 0; }

    // The drawing pass
    void UpdateVisibleRange();
    int FirstVisible() const { return firstVisible_; }
    int LastVisible() const { return lastVisible_; }
    virtual void PrepareChartPass() {}
    virtual void FireBeforeDrawValues();
    virtual void FireAfterDrawValues();
    virtual void DrawVisiblePoints();
    virtual void DrawPoint(int) {}
    // Measures and places the mark of each visible point that has a mark text and has
    // DrawPointMark draw it; the chart calls it only for visible marks.
    void DrawMarks();
    // Draws one point's mark; series kinds move the box and the arrow's end first.
    virtual void DrawPointMark(int index, const std::string& text, TSeriesMarkPosition& position);
    virtual bool DrawsForward() const { return true; }
    virtual bool DrawsSeriesForward(int) const { return true; }
    void RequestRepaint() const;

    // Texts
    std::string MarkText(int index) const;
    std::string PercentText(int index, bool withTotal) const;
    virtual int LegendItemCount() const { return PointCount(); }
    virtual int LegendItemToIndex(int item) const { return item; }
    virtual TColor LegendSwatchColor(int item) const { return PointColor(item); }
    virtual std::string LegendItemText(int item, TLegendTextStyle style) const;
    // Lets a series kind change the legend box's background and brush style.
    virtual void PrepareLegendBrush(int, TColor&, TBrushStyle&) {}
    // The legend's colour box of one point (item -1: the series as a whole): the brush is set
    // from the point's colour and DrawLegendSymbol draws the box.
    virtual void DrawLegendItem(int item, const TRect& rect);
    // A rectangle here; series kinds draw their own symbol.
    virtual void DrawLegendSymbol(int item, const TRect& rect);

    // Depth
    int DepthOrder() const { return depthOrder_; }
    void SetDepthOrder(int value) { Store(depthOrder_, value); }
    int AutoDepthOrder() const { return autoDepthOrder_; }
    int EffectiveZOrder() const { return depthOrder_ != -1 ? depthOrder_ : autoDepthOrder_; }
    virtual void AssignZOrder();
    virtual bool SharesZOrder() const;
    // The depth band of the current pass; marks are drawn at its middle.
    int StartZ() const { return startZ_; }
    int MiddleZ() const { return middleZ_; }
    int EndZ() const { return endZ_; }
    void SetDepthBand(int start, int end);
    virtual double StackedOrigin(int index, bool sumAll) const;

    // Mouse
    virtual int HitTest(int, int) const { return -1; }
    virtual void MouseMoved(TShiftState, int, int) {}
    virtual bool MouseClicked(TMouseButton button, TShiftState shift, int x, int y, bool isDouble);
    virtual void MouseReleased(TMouseButton, TShiftState, int, int) {}

    // Flags of the series kinds
    bool ClipToVisibleRange() const { return clipToVisibleRange_; }
    bool KeepPointBeyondEdge() const { return keepPointBeyondEdge_; }
    bool SinglePointResult() const { return singlePointResult_; }
    bool HasDepthValues() const { return hasDepthValues_; }

    // Stream-only values, kept and copied
    const std::string& Identifier() const { return identifier_; }
    void SetIdentifier(const std::string& value) { identifier_ = value; }
    unsigned StyleSet() const { return styleSet_; }
    void SetStyleSet(unsigned value) { styleSet_ = value & 63u; }

    // Whether this series' class derives from other's or the other way round. A series kind
    // extends the chain by overriding InheritsFrom.
    bool IsRelatedTo(const TChartSeries& other) const;
    virtual bool InheritsFrom(const std::type_info& cls) const {
        return cls == typeid(TChartSeries);
    }

    // The series' hooks into its chart (called by TCustomAxisPanel).
    void RecalcActiveAxes();
    void ChartAttached(TCustomAxisPanel* chart) { parentChart_ = chart; }
    // The change handler given to pens the series creates.
    virtual void StyleChanged() { RequestRepaint(); }

protected:
    // Adds a value list owned by this series (series kinds with more columns).
    TChartValueList& AddValueList(const std::string& name);
    virtual void EmptyLists();
    virtual void PointAdded(int index);
    // The points of FillSampleValues, into the cleared series.
    virtual void AddSampleValues(int numValues, TSampleRandom& random);
    void Notification(TComponent* removed) override;
    void AddLinked(TChartSeries* series);
    void RemoveLinked(TChartSeries* series);

    bool clipToVisibleRange_ = true;
    bool keepPointBeyondEdge_ = false;
    bool singlePointResult_ = true;
    bool hasDepthValues_ = false;
    int autoDepthOrder_ = 0;

private:
    friend TPublishedProperties<TChartSeries>;
    void PropertyChanged() const { RequestRepaint(); }
    void InsertPointExtras(int index, const std::string& label, TColor color);
    // The checks a new source must pass.
    void CheckDataSource(TComponent* component);
    void LinkSource(TComponent* component);
    // Rebuilds from the sources; when that fails, undo restores what was there and the
    // series is rebuilt from it before the error goes on.
    template <class Undo> void RebuildOrUndo(Undo undo);
    void NotifyEachLinked(TSeriesLinkEvent event, int index);

    TChartValueLists valueLists_;
    TChartValueList* xValues_;
    TChartValueList* yValues_;
    // Per-point colours and labels, in stores that insert at the front as cheaply as at the end.
    // An empty label is stored as nothing, so unlabelled points cost one pointer.
    struct TPointColors;
    struct TPointLabels;
    std::unique_ptr<TPointColors> pointColors_;
    std::unique_ptr<TPointLabels> pointLabels_;
    std::unique_ptr<TSeriesMarks> marks_;

    bool active_ = true;
    bool colorEachPoint_ = false;
    std::string colorSource_;
    TCursor cursor_ = crDefault;
    THorizAxis horizAxis_ = aBottomAxis;
    TVertAxis vertAxis_ = aLeftAxis;
    TCustomAxisPanel* parentChart_ = nullptr;
    std::string percentFormat_ = KivConst::KivMsg_DefPercentFormat;
    TColor seriesColor_ = AutoColor;
    bool showInLegend_ = true;
    std::string title_;
    std::string valueFormat_ = KivConst::KivMsg_DefValueFormat;
    std::string xLabelsSource_;

    std::vector<TComponent*> dataSources_;
    std::vector<TChartSeries*> linkedSeries_;
    std::vector<std::string> pendingSources_;
    std::unique_ptr<TKivFunction> seriesFunction_;
    unsigned linkUpdateFlags_ = AllLinkUpdates;
    // While sample values go in, dependent series wait for the one refresh at the end.
    bool addingSamples_ = false;

    TCustomChartAxis* activeHorizAxis_ = nullptr;
    TCustomChartAxis* activeVertAxis_ = nullptr;
    TCustomChartAxis* userHorizAxis_ = nullptr;
    TCustomChartAxis* userVertAxis_ = nullptr;
    int firstVisible_ = -1;
    int lastVisible_ = -1;
    int depthOrder_ = -1;
    int startZ_ = 0, middleZ_ = 0, endZ_ = 0;

    std::string identifier_;
    unsigned styleSet_ = 0;
};

} // namespace kiv
