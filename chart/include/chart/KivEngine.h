// The chart engine's core: value lists, the series base class with its points, colours and
// labels, the axes, and the panel that holds series and axes together (TCustomAxisPanel).
#pragma once

#include "chart/KivCanvas.h"
#include "chart/KivConst.h"
#include "chart/KivProcs.h"
#include "chart/engine/GapArray.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

class TChartSeries;
class TCustomAxisPanel;
class TCustomChartAxis;

// A point with this colour takes the series colour (or the palette colour of its index).
constexpr TColor AutoColor = 0x20000000;
// A null point: stored and counted, but skipped by marks and legend and may leave a gap.
constexpr TColor NoColor = 0x1FFFFFFF;

// Library-wide settings.
inline bool AxesBehindSeries = true;
constexpr int AxisClickTolerance = 3;
constexpr char LineSeparator = '\r';

// ---------------------------------------------------------------------------------------------
// Value lists

enum TChartListOrder { loNone, loAscending, loDescending };

// One column of a series' points. Values are stored raw and read scaled by Multiplier.
class TChartValueList {
public:
    TChartValueList(TChartSeries* owner, const std::string& name);
    TChartValueList(const TChartValueList&) = delete;
    TChartValueList& operator=(const TChartValueList&) = delete;
    virtual ~TChartValueList() = default;

    // Raw value times Multiplier; an index outside the list raises EListError.
    virtual double ValueAt(int index) const;
    // Stores the raw value and tells the dependent series; no repaint.
    virtual void SetValueAt(int index, double value);
    virtual void RemoveAll();
    // Inserts keeping Order: after every equal value, at 0 when below all (ascending).
    virtual int InsertOrdered(double value);
    virtual void InsertAt(int index, double value);
    virtual int ItemCount() const { return int(values_.size()); }
    virtual void RemoveAt(int index);
    // Moves the first value to the end; the statistics stay as they were.
    virtual void RotateFirstToLast();

    double operator[](int index) const { return ValueAt(index); }
    int IndexOfValue(double value) const;
    double LastValue() const { return ValueAt(ItemCount() - 1); }
    void Renumber();
    // Sorts the whole series (every list, colours and labels) by this list's Order.
    void SortByOrder();
    // Exchanges two raw values (the series swaps all its lists together).
    void SwapValues(int a, int b);

    double HighValue() const;
    double LowValue() const;
    double Sum() const;
    double AbsSum() const;

    bool DateTime() const { return dateTime_; }
    void SetDateTime(bool value);
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value);
    double Multiplier() const { return multiplier_; }
    void SetMultiplier(double value);
    TChartListOrder Order() const { return order_; }
    void SetOrder(TChartListOrder value);
    const std::string& ValueSource() const { return valueSource_; }
    void SetValueSource(const std::string& value);
    TChartSeries* OwnerSeries() const { return owner_; }

    // Copies Order, DateTime, Multiplier and ValueSource; never the values or the name.
    void Assign(const TChartValueList& source);

    // The raw values, contiguous, for drawing loops.
    const double* RawValues() const { return values_.data(); }

    // Staged by the series immediately before an insertion.
    double PendingValue = 0;

private:
    // Whether the raw values are known to follow Order (no NaN among them), so that an
    // ordered insertion may binary-search instead of scanning back from the end.
    enum class Sortedness { Yes, No, Unknown };

    void CheckIndex(int index) const;
    void Recalculate() const;
    void Touched() {
        statsDirty_ = true;
        if (sorted_ == Sortedness::No) sorted_ = Sortedness::Unknown;
    }
    bool KnownSorted() const {
        return sorted_ == Sortedness::Yes ? order_ != loNone : CheckSorted();
    }
    bool CheckSorted() const;
    bool InOrder(double a, double b) const;

    TChartSeries* owner_;
    kiv::GapArray<double> values_;
    std::string name_;
    bool dateTime_ = false;
    double multiplier_ = 1.0;
    TChartListOrder order_ = loNone;
    std::string valueSource_;
    mutable Sortedness sorted_ = Sortedness::Yes;
    mutable bool statsDirty_ = true;
    mutable double high_ = 0, low_ = 0, sum_ = 0, absSum_ = 0;
};

// The columns of a series: entry 0 is the X list, entry 1 the Y list, extra lists follow.
class TChartValueLists {
public:
    int Count() const { return int(lists_.size()); }
    TChartValueList* operator[](int index) const { return lists_[size_t(index)].get(); }
    TChartValueList* Add(std::unique_ptr<TChartValueList> list);
    auto begin() const { return lists_.begin(); }
    auto end() const { return lists_.end(); }

private:
    std::vector<std::unique_ptr<TChartValueList>> lists_;
};

// ---------------------------------------------------------------------------------------------
// Marks: the data the series keeps for them (their drawing belongs to the series kinds)

enum TSeriesMarksStyle {
    smsValue,
    smsPercent,
    smsLabel,
    smsLabelPercent,
    smsLabelValue,
    smsLegend,
    smsPercentTotal,
    smsLabelPercentTotal,
    smsXValue
};

struct TSeriesMarkPosition {
    TPoint ArrowStart;
    TPoint ArrowEnd;
    bool IsCustom = false;
    int BoxHeight = 0;
    TPoint BoxTopLeft;
    int BoxWidth = 0;
    // Copies everything but IsCustom.
    void Assign(const TSeriesMarkPosition& source);
};

// Indexed by point; an entry is empty until a mark was placed there.
using TSeriesMarksPositions = kiv::GapArray<std::optional<TSeriesMarkPosition>>;

class TSeriesMarks {
public:
    explicit TSeriesMarks(TChartSeries* series);
    TSeriesMarks(const TSeriesMarks&) = delete;
    TSeriesMarks& operator=(const TSeriesMarks&) = delete;

    TChartArrowPen& Arrow() { return arrow_; }
    int ArrowLength() const { return arrowLength_; }
    void SetArrowLength(int value) { Store(arrowLength_, value); }
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor value) { Store(backColor_, value); }
    bool Clip() const { return clip_; }
    void SetClip(bool value) { Store(clip_, value); }
    TFont& Font() { return font_; }
    TChartPen& Frame() { return frame_; }
    TSeriesMarksStyle Style() const { return style_; }
    void SetStyle(TSeriesMarksStyle value) { Store(style_, value); }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value) { Store(transparent_, value); }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { Store(visible_, value); }
    int MarkDepth() const { return markDepth_; }
    void SetMarkDepth(int value) { markDepth_ = value; }

    TChartSeries* ParentSeries() const { return series_; }
    TSeriesMarksPositions& Positions() { return positions_; }
    void Assign(const TSeriesMarks& source);

private:
    template <class T> void Store(T& field, const T& value) {
        if (field != value) {
            field = value;
            RepaintSeries();
        }
    }
    void RepaintSeries() const;

    TChartSeries* series_;
    TChartArrowPen arrow_;
    TChartPen frame_;
    TFont font_;
    int arrowLength_ = 8;
    TColor backColor_ = 0x80FFFF;
    bool clip_ = false;
    TSeriesMarksStyle style_ = smsLabel;
    bool transparent_ = false;
    bool visible_ = false;
    int markDepth_ = 0;
    TSeriesMarksPositions positions_;
};

// ---------------------------------------------------------------------------------------------
// Functions: a series may compute its points from its sources through one

enum TFunctionPeriodAlign { paFirst, paCenter, paLast };
enum TFunctionPeriodStyle { psNumPoints, psRange };

class TKivFunction : public TComponent {
public:
    TChartSeries* ParentSeries() const { return parentSeries_; }
    void SetParentSeries(TChartSeries* series) { parentSeries_ = series; }
    // Adds the function's result points for source to the parent series (already cleared).
    virtual void AddFunctionPoints(TChartSeries* source) = 0;

private:
    TChartSeries* parentSeries_ = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Series

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

class TChartSeries : public TComponent {
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
    int PointColorCount() const { return int(pointColors_.size()); }
    int PointLabelCount() const { return int(pointLabels_.size()); }

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

    // Depth
    int DepthOrder() const { return depthOrder_; }
    void SetDepthOrder(int value) { Store(depthOrder_, value); }
    int AutoDepthOrder() const { return autoDepthOrder_; }
    int EffectiveZOrder() const { return depthOrder_ != -1 ? depthOrder_ : autoDepthOrder_; }
    virtual void AssignZOrder();
    virtual bool SharesZOrder() const;
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
    template <class T> void Store(T& field, const T& value) {
        if (field != value) {
            field = value;
            RequestRepaint();
        }
    }
    void AddLinked(TChartSeries* series);
    void RemoveLinked(TChartSeries* series);

    bool clipToVisibleRange_ = true;
    bool keepPointBeyondEdge_ = false;
    bool singlePointResult_ = true;
    bool hasDepthValues_ = false;
    int autoDepthOrder_ = 0;

private:
    void InsertPointExtras(int index, const std::string& label, TColor color);
    void NotifyEachLinked(TSeriesLinkEvent event, int index);

    TChartValueLists valueLists_;
    TChartValueList* xValues_;
    TChartValueList* yValues_;
    kiv::GapArray<TColor> pointColors_;
    // An empty label is stored as nothing, so unlabelled points cost one pointer.
    kiv::GapArray<std::unique_ptr<std::string>> pointLabels_;
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

    TCustomChartAxis* activeHorizAxis_ = nullptr;
    TCustomChartAxis* activeVertAxis_ = nullptr;
    TCustomChartAxis* userHorizAxis_ = nullptr;
    TCustomChartAxis* userVertAxis_ = nullptr;
    int firstVisible_ = -1;
    int lastVisible_ = -1;
    int depthOrder_ = -1;

    std::string identifier_;
    unsigned styleSet_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Axes

enum TAxisLabelStyle { talAuto, talNone, talValue, talMark, talText };

// Index into DateTimeSteps; DateTimeNoStep means no exact date-time step applies.
enum TDateTimeStep {
    dtOneSecond,
    dtFiveSeconds,
    dtTenSeconds,
    dtFifteenSeconds,
    dtThirtySeconds,
    dtOneMinute,
    dtFiveMinutes,
    dtTenMinutes,
    dtFifteenMinutes,
    dtThirtyMinutes,
    dtOneHour,
    dtTwoHours,
    dtSixHours,
    dtTwelveHours,
    dtOneDay,
    dtTwoDays,
    dtThreeDays,
    dtOneWeek,
    dtHalfMonth,
    dtOneMonth,
    dtTwoMonths,
    dtThreeMonths,
    dtFourMonths,
    dtSixMonths,
    dtOneYear,
    dtNone
};

// The label steps of date-time axes, in days.
extern const std::array<double, 25> DateTimeSteps;

using TAxisOnGetLabel = std::function<void(TCustomChartAxis* sender, TChartSeries* series,
                                           int valueIndex, std::string& labelText)>;
using TAxisOnGetNextLabel =
    std::function<void(TCustomChartAxis* sender, int labelIndex, double& labelValue, bool& stop)>;

class TChartAxisTitle {
public:
    explicit TChartAxisTitle(TCustomChartAxis* axis);

    // Degrees 0..360; anything else raises ChartException.
    int Angle() const { return angle_; }
    void SetAngle(int value);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    TFont& Font() { return font_; }
    TCustomChartAxis* Axis() const { return axis_; }
    void Assign(const TChartAxisTitle& source);

private:
    void Changed() const;

    TCustomChartAxis* axis_;
    int angle_;
    std::string caption_;
    TFont font_;
};

class TCustomChartAxis {
public:
    TCustomChartAxis(TCustomAxisPanel* chart, bool horizontal, bool otherSide, bool depth,
                     int defaultTitleAngle);
    TCustomChartAxis(const TCustomChartAxis&) = delete;
    TCustomChartAxis& operator=(const TCustomChartAxis&) = delete;
    virtual ~TCustomChartAxis();

    // Copies every published property and the side, depth and horizontal flags.
    virtual void Assign(const TCustomChartAxis& source);

    // Published properties
    bool Automatic() const { return automatic_; }
    void SetAutomatic(bool value);
    bool AutomaticMaximum() const { return automaticMaximum_; }
    void SetAutomaticMaximum(bool value);
    bool AutomaticMinimum() const { return automaticMinimum_; }
    void SetAutomaticMinimum(bool value);
    TChartAxisPen& Axis() { return axisPen_; }
    const std::string& AxisValuesFormat() const { return axisValuesFormat_; }
    void SetAxisValuesFormat(const std::string& value) { Store(axisValuesFormat_, value); }
    const std::string& DateTimeFormat() const { return dateTimeFormat_; }
    void SetDateTimeFormat(const std::string& value) { Store(dateTimeFormat_, value); }
    bool ExactDateTime() const { return exactDateTime_; }
    void SetExactDateTime(bool value) { Store(exactDateTime_, value); }
    TDottedGrayPen& Grid() { return grid_; }
    bool GridCentered() const { return gridCentered_; }
    void SetGridCentered(bool value) { Store(gridCentered_, value); }
    double Increment() const { return increment_; }
    void SetIncrement(double value);
    bool Inverted() const { return inverted_; }
    void SetInverted(bool value) { Store(inverted_, value); }
    bool Labels() const { return labels_; }
    void SetLabels(bool value) { Store(labels_, value); }
    int LabelsAngle() const { return labelsAngle_; }
    void SetLabelsAngle(int value);
    TFont& LabelsFont() { return labelsFont_; }
    bool LabelsMultiLine() const { return labelsMultiLine_; }
    void SetLabelsMultiLine(bool value) { Store(labelsMultiLine_, value); }
    bool LabelsOnAxis() const { return labelsOnAxis_; }
    void SetLabelsOnAxis(bool value) { Store(labelsOnAxis_, value); }
    int LabelsSeparation() const { return labelsSeparation_; }
    void SetLabelsSeparation(int value);
    int LabelsSize() const { return labelsSize_; }
    void SetLabelsSize(int value) { Store(labelsSize_, value); }
    TAxisLabelStyle LabelStyle() const { return labelStyle_; }
    void SetLabelStyle(TAxisLabelStyle value) { Store(labelStyle_, value); }
    bool Logarithmic() const { return logarithmic_; }
    void SetLogarithmic(bool value);
    int LogarithmicBase() const { return logarithmicBase_; }
    void SetLogarithmicBase(int value);
    double Maximum() const { return maximum_; }
    void SetMaximum(double value);
    double Minimum() const { return minimum_; }
    void SetMinimum(double value);
    TChartHiddenPen& MinorGrid() { return minorGrid_; }
    int MinorTickCount() const { return minorTickCount_; }
    void SetMinorTickCount(int value) { Store(minorTickCount_, value); }
    int MinorTickLength() const { return minorTickLength_; }
    void SetMinorTickLength(int value) { Store(minorTickLength_, value); }
    TDarkGrayPen& MinorTicks() { return minorTicks_; }
    double StartPosition() const { return startPosition_; }
    void SetStartPosition(double value) { Store(startPosition_, value); }
    double EndPosition() const { return endPosition_; }
    void SetEndPosition(double value) { Store(endPosition_, value); }
    double PositionPercent() const { return positionPercent_; }
    void SetPositionPercent(double value) { Store(positionPercent_, value); }
    bool RoundFirstLabel() const { return roundFirstLabel_; }
    void SetRoundFirstLabel(bool value) { Store(roundFirstLabel_, value); }
    int TickInnerLength() const { return tickInnerLength_; }
    void SetTickInnerLength(int value) { Store(tickInnerLength_, value); }
    int TickLength() const { return tickLength_; }
    void SetTickLength(int value) { Store(tickLength_, value); }
    bool TickOnLabelsOnly() const { return tickOnLabelsOnly_; }
    void SetTickOnLabelsOnly(bool value) { Store(tickOnLabelsOnly_, value); }
    TDarkGrayPen& Ticks() { return ticks_; }
    TDarkGrayPen& TicksInner() { return ticksInner_; }
    TChartAxisTitle& Title() { return title_; }
    int TitleSize() const { return titleSize_; }
    void SetTitleSize(int value) { Store(titleSize_, value); }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { Store(visible_, value); }

    // Identity
    TCustomAxisPanel* ParentChart() const { return chart_; }
    bool IsHorizontal() const { return horizontal_; }
    bool IsOtherSide() const { return otherSide_; }
    bool IsDepth() const { return depth_; }
    int DefaultTitleAngle() const { return defaultTitleAngle_; }

    // Range of the current pass
    // Fixes the range (automatic off), ordered, and at least 1e-10 wide.
    void SetRange(double min, double max);
    void RefreshRange();
    double RangeMin() const { return rangeMin_; }
    double RangeMax() const { return rangeMax_; }
    double RangeSpan() const { return rangeSpan_; }
    bool DateTimeMode() const { return dateTimeMode_; }
    // Recomputes DateTimeMode from the first active series drawn against the axis.
    void UpdateDateTimeMode();
    TAxisLabelStyle EffectiveLabelStyle() const;

    // Pixels of the current pass
    void PlaceOnChart();
    void ApplyMargins(const TRect& margins);
    int StartPixel() const { return startPixel_; }
    int EndPixel() const { return endPixel_; }
    int PixelSize() const { return pixelSize_; }
    int CenterPixel() const { return centerPixel_; }
    int AxisPosition() const { return axisPosition_; }
    void SetAxisPosition(int value) { axisPosition_ = value; }
    int LabelsPosition() const { return labelsPosition_; }
    void SetLabelsPosition(int value) { labelsPosition_ = value; }
    int TitlePosition() const { return titlePosition_; }
    void SetTitlePosition(int value) { titlePosition_ = value; }

    // Mappings; every result lies in int range whatever the value.
    int ValueToPixel(double value) const;
    int XValueToPixel(double value) const;
    int YValueToPixel(double value) const;
    double PixelToValue(int pixel) const;

    // Labels and their step
    std::string LabelText(double value) const;
    double ComputeIncrement() const;
    static double NextNiceStep(double step);
    double StepDateTime(bool up, double value, TDateTimeStep step, double increment) const;
    static double RoundDateToStep(TDateTimeStep step, double value);
    // The table index of an increment: the highest entry within one second of it, or dtNone.
    static TDateTimeStep FindDateTimeStep(double increment);

protected:
    template <class T> void Store(T& field, const T& value) {
        if (field != value) {
            field = value;
            Repaint();
        }
    }
    void Repaint() const;

private:
    int LinearPixel(double value, bool xForm) const;
    int LogPixel(double value, bool xForm) const;
    int DepthPixel(double value) const;
    bool HasDateTimeSeries() const;
    int LabelSize(double value) const;

    TCustomAxisPanel* chart_;
    bool horizontal_, otherSide_, depth_;
    int defaultTitleAngle_;

    bool automatic_ = true, automaticMaximum_ = true, automaticMinimum_ = true;
    TChartAxisPen axisPen_;
    std::string axisValuesFormat_ = KivConst::KivMsg_DefValueFormat;
    std::string dateTimeFormat_;
    bool exactDateTime_ = true;
    TDottedGrayPen grid_;
    bool gridCentered_ = false;
    double increment_ = 0;
    bool inverted_ = false;
    bool labels_ = true;
    int labelsAngle_ = 0;
    TFont labelsFont_;
    bool labelsMultiLine_ = false;
    bool labelsOnAxis_ = true;
    int labelsSeparation_ = 10;
    int labelsSize_ = 0;
    TAxisLabelStyle labelStyle_ = talAuto;
    bool logarithmic_ = false;
    int logarithmicBase_ = 10;
    double maximum_ = 0, minimum_ = 0;
    TChartHiddenPen minorGrid_;
    int minorTickCount_ = 3;
    int minorTickLength_ = 2;
    TDarkGrayPen minorTicks_;
    double startPosition_ = 0, endPosition_ = 100, positionPercent_ = 0;
    bool roundFirstLabel_ = true;
    int tickInnerLength_ = 0;
    int tickLength_ = 4;
    bool tickOnLabelsOnly_ = true;
    TDarkGrayPen ticks_;
    TDarkGrayPen ticksInner_;
    TChartAxisTitle title_;
    int titleSize_ = 0;
    bool visible_ = true;

    double rangeMin_ = 0, rangeMax_ = 0, rangeSpan_ = 0;
    bool dateTimeMode_ = false;
    int startPixel_ = 0, endPixel_ = 0, pixelSize_ = 0, centerPixel_ = 0;
    int axisPosition_ = 0, labelsPosition_ = 0, titlePosition_ = 0;
};

class TChartAxis : public TCustomChartAxis {
public:
    using TCustomChartAxis::TCustomChartAxis;
};

// The axis across the chart's depth: hidden by default, mapped onto the chart's depth.
class TChartDepthAxis : public TCustomChartAxis {
public:
    explicit TChartDepthAxis(TCustomAxisPanel* chart);
};

// ---------------------------------------------------------------------------------------------
// The panel with axes and series

class TChartSeriesList {
public:
    explicit TChartSeriesList(TCustomAxisPanel* chart) : chart_(chart) {}
    int Count() const { return int(items_.size()); }
    TChartSeries* operator[](int index) const { return items_.at(size_t(index)); }
    int IndexOf(const TChartSeries* series) const;
    TCustomAxisPanel* Chart() const { return chart_; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    friend class TCustomAxisPanel;
    TCustomAxisPanel* chart_;
    std::vector<TChartSeries*> items_;
};

class TCustomAxisPanel : public TCustomKivPanelExtended {
public:
    TCustomAxisPanel();
    // Detaches and frees every series still listed, then the axes in list order.
    ~TCustomAxisPanel() override;

    // Series
    const TChartSeriesList& SeriesList() const { return seriesList_; }
    int SeriesCount() const { return seriesList_.Count(); }
    TChartSeries* Series(int index) const { return seriesList_[index]; }
    void AddSeries(TChartSeries* series) { series->SetParentChart(this); }
    void RemoveSeries(TChartSeries* series) { series->SetParentChart(nullptr); }
    virtual void AddSeriesToChart(TChartSeries* series);
    virtual void RemoveSeriesFromChart(TChartSeries* series);
    virtual bool IsValidDataSource(TChartSeries* series, TComponent* component) const;
    virtual void RebuildSeries(TChartSeries* series);
    virtual void CheckCircular(TChartSeries* target, TChartSeries* series) const;
    virtual void DataSourceRemoved(TChartSeries*, TComponent*) {}
    TColor FreeSeriesColor(bool checkBackground) const;
    // Whether no series has this colour (nor, with checkBackground, the panel background).
    virtual bool IsFreeSeriesColor(TColor color, bool checkBackground) const;
    int LongestSeriesCount() const;
    int CountActiveSeries() const;
    // The highest depth order handed out in the current pass.
    int MaxZOrder() const { return maxZOrder_; }
    void SetMaxZOrder(int value) { maxZOrder_ = value; }

    // Axes, in their list order
    TChartAxis& BottomAxis() { return *bottomAxis_; }
    TChartAxis& TopAxis() { return *topAxis_; }
    TChartAxis& LeftAxis() { return *leftAxis_; }
    TChartAxis& RightAxis() { return *rightAxis_; }
    TChartDepthAxis& DepthAxis() { return *depthAxis_; }
    const std::vector<TCustomChartAxis*>& AxesList() const { return axes_; }
    // Custom axes register themselves here too.
    void RegisterAxis(TCustomChartAxis* axis) { axes_.push_back(axis); }
    void UnregisterAxis(TCustomChartAxis* axis);
    bool AxisVisible() const { return axisVisible_; }
    void SetAxisVisible(bool value) { Store(axisVisible_, value); }
    bool IsAxisShown(const TCustomChartAxis* axis) const;
    double AxisRangeValue(const TCustomChartAxis* axis, bool isMin, bool isX) const;
    // The first active series drawn against the axis, or nullptr.
    TChartSeries* FirstActiveSeriesOn(const TCustomChartAxis* axis) const;

    // Paging
    int PageCount() const;
    int Page() const { return page_; }
    void SetPage(int value);
    int MaxPointsPerPage() const { return maxPointsPerPage_; }
    void SetMaxPointsPerPage(int value);
    bool ScaleLastPage() const { return scaleLastPage_; }
    void SetScaleLastPage(bool value) { Store(scaleLastPage_, value); }

    // Text measuring for the axes: the width of the widest line of a text split at
    // LineSeparator and its line count, and the selected font's height.
    virtual int MeasureMultiLineText(std::string_view text, int& lines);
    virtual int FontHeight();
    // Selects font for measuring and drawing: it takes the canvas' resolution first.
    void ApplyTextFont(TFont& font);

    // Depth of the current frame, in pixels.
    int DepthWidth() const { return depthWidth_; }
    void SetDepthWidth(int value) { depthWidth_ = value; }

    std::function<void(TComponent* sender)> OnPageChange;
    TAxisOnGetLabel OnGetAxisLabel;
    TAxisOnGetNextLabel OnGetNextAxisLabel;

private:
    TChartSeriesList seriesList_;
    std::vector<TCustomChartAxis*> axes_;
    std::unique_ptr<TChartAxis> bottomAxis_, topAxis_, leftAxis_, rightAxis_;
    std::unique_ptr<TChartDepthAxis> depthAxis_;
    bool axisVisible_ = true;
    int page_ = 1;
    int maxPointsPerPage_ = 0;
    bool scaleLastPage_ = true;
    int maxZOrder_ = 0;
    int depthWidth_ = 0;
};
