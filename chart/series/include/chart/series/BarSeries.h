// Bar series: every point a bar from an origin to its value, beside or on top of the bars of
// the other bar series of its kind; vertical (TBarSeries) or horizontal (THorizBarSeries).
#pragma once

#include "chart/control/ChartBrush.h"
#include "chart/engine/Series.h"

#include <functional>

namespace kiv {

enum TBarStyle {
    bsRectangle,
    bsPyramid,
    bsInvPyramid,
    bsCilinder,
    bsEllipse,
    bsArrow,
    bsRectGradient
};

enum TMultiBar { mbNone, mbSide, mbStacked, mbStacked100 };

class TCustomBarSeries;

using TGetBarStyleEvent =
    std::function<void(TCustomBarSeries* sender, int valueIndex, TBarStyle& theBarStyle)>;

// The base of the bar series: bar style, width, stacking and the bars' brush and pen.
class TCustomBarSeries : public TChartSeries {
public:
    TCustomBarSeries();
    ~TCustomBarSeries() override;

    // Copies the bar settings field by field (no checks, no repaint), then the base.
    void Assign(const TChartSeries& source) override;

    // Published properties
    bool AutoBarSize() const { return autoBarSize_; }
    void SetAutoBarSize(bool value) { Store(autoBarSize_, value); }
    bool AutoMarkPosition() const { return autoMarkPosition_; }
    void SetAutoMarkPosition(bool value) { Store(autoMarkPosition_, value); }
    TChartBrush& BarBrush() { return barBrush_; }
    const TChartBrush& BarBrush() const { return barBrush_; }
    TChartPen& BarPen() { return barPen_; }
    const TChartPen& BarPen() const { return barPen_; }
    TBarStyle BarStyle() const { return barStyle_; }
    void SetBarStyle(TBarStyle value) { Store(barStyle_, value); }
    // 1 to 100.
    int BarWidthPercent() const { return barWidthPercent_; }
    void SetBarWidthPercent(int value);
    bool Dark3D() const { return dark3D_; }
    void SetDark3D(bool value) { Store(dark3D_, value); }
    // Every bar series of the same kind on the chart takes the value.
    TMultiBar MultiBar() const { return multiBar_; }
    void SetMultiBar(TMultiBar value);
    // -100 to 100: how far the bar moves along its axis, in percent of its size.
    int OffsetPercent() const { return offsetPercent_; }
    void SetOffsetPercent(int value);
    // Every bar series of the same kind on the chart takes the value.
    bool SideMargins() const { return sideMargins_; }
    void SetSideMargins(bool value);
    bool UseYOrigin() const { return useYOrigin_; }
    void SetUseYOrigin(bool value) { Store(useYOrigin_, value); }
    double YOrigin() const { return yOrigin_; }
    void SetYOrigin(double value) { Store(yOrigin_, value); }

    TGetBarStyleEvent OnGetBarStyle;

    // The size of a bar across its axis, as the last layout computed it.
    int BarSize() const { return barSize_; }
    // Bars of the same kind: either class derives from the other.
    bool SameKind(const TChartSeries& other) const { return IsRelatedTo(other); }
    // 1 unless side by side; then the number of active series of the kind.
    int SideBySideCount() const;
    // 1 plus the number of active series of the kind before this one.
    int SideBySideIndex() const;
    // The width of a bar across its axis in pixels (a horizontal bar's height): CustomBarWidth
    // when set, else BarWidthPercent of a point's slot on that axis, shared by the bars side by
    // side, and even. The layout stores it as BarSize.
    int BarWidthInPixels() const;
    // Room beside the bars of the outermost points.
    int BarMargin() const;
    // Room a mark needs beyond a bar's value end (0 without marks).
    int MarkSpace(int index) const;
    // Pixel of the bar's origin end.
    virtual int OriginPosition(int index) const;
    // Length of a mark across the bars' axis: the font height for vertical bars, the mark text's
    // width for horizontal ones (-1: the widest).
    virtual int MarkLength(int index) const = 0;
    // Whether point lies on the bar's shape (by BarStyle, not OnGetBarStyle).
    bool PointInBar(int index, TPoint point) const;
    // Draws the bar from start to end along its value axis with the shape of the point.
    virtual void DrawBar(int index, int start, int end);

    int SampleCount() const override { return 6; }
    void DrawPoint(int index) override;
    // In the order of the bars' axis, and of the stack's along an inverted value axis.
    bool DrawsForward() const override;
    bool DrawsSeriesForward(int index) const override;
    int HitTest(int x, int y) const override;
    double StackedOrigin(int index, bool sumAll) const override;
    void AssignZOrder() override;
    void PrepareLegendBrush(int index, TColor& background, TBrushStyle& style) override;
    void DrawLegendSymbol(int index, const TRect& rect) override;
    bool InheritsFrom(const std::type_info& cls) const override {
        return cls == typeid(TCustomBarSeries) || TChartSeries::InheritsFrom(cls);
    }

protected:
    // The axis across which the bars stand.
    virtual TCustomChartAxis* BarAxis() const = 0;
    // The axis along which the values run.
    TCustomChartAxis* ValueAxis() const;
    // Stores the bar width and adds the room beside the outermost bars to both margins of the
    // bars' axis.
    void AddBarMargins(int& a, int& b) const;
    // Place of the bar along the bars' axis (left or top edge).
    int BarPlace(int pixel) const;
    // Value end: on the value axis, stacked or not (pixel 0 for an empty 100 % stack).
    int ValueEnd(double value, int index) const;
    // The bar's brush and pen, and its shape after OnGetBarStyle.
    TBarStyle PrepareBar(int index);
    // The flat 2D rectangle of a bar, drawn as a line when it has no area.
    void BarRectangle(const TRect& bounds);
    // The bar from start to end along its value axis (vertical bars: top to bottom; horizontal
    // ones: left to right), on barBounds_.
    void DrawShape(TBarStyle shape, int start, int end, bool vertical);
    double HighestValue(const TChartValueList& list) const;
    double LowestValue(const TChartValueList& list) const;

    // Drawing state, set again for each point.
    mutable int barSize_ = 0;
    TRect barBounds_;
    TColor barColor_ = AutoColor;
    int customBarSize_ = 0;

private:
    bool autoBarSize_ = false;
    bool autoMarkPosition_ = true;
    TChartBrush barBrush_;
    TChartPen barPen_;
    TBarStyle barStyle_ = bsRectangle;
    int barWidthPercent_ = 70;
    bool dark3D_ = true;
    TMultiBar multiBar_ = mbSide;
    int offsetPercent_ = 0;
    bool sideMargins_ = true;
    bool useYOrigin_ = true;
    double yOrigin_ = 0;
};

// Vertical bars: X places a bar along the horizontal axis, Y is its value.
class TBarSeries : public TCustomBarSeries {
public:
    TBarSeries();

    // A fixed bar width in pixels; 0 computes it.
    int CustomBarWidth() const { return customBarSize_; }
    void SetCustomBarWidth(int value) { Store(customBarSize_, value); }

    int PointScreenX(int index) const override;
    int PointScreenY(int index) const override;
    int MarkLength(int index) const override;
    double HighestY() const override { return HighestValue(YValues()); }
    double LowestY() const override { return LowestValue(YValues()); }
    void HorizontalMargins(int& a, int& b) const override;
    void VerticalMargins(int& a, int& b) const override;
    bool InheritsFrom(const std::type_info& cls) const override {
        return cls == typeid(TBarSeries) || TCustomBarSeries::InheritsFrom(cls);
    }

protected:
    TCustomChartAxis* BarAxis() const override { return ActiveHorizAxis(); }
};

// Horizontal bars: Y places a bar along the vertical axis, X is its value.
class THorizBarSeries : public TCustomBarSeries {
public:
    THorizBarSeries();

    // A fixed bar height in pixels; 0 computes it.
    int CustomBarHeight() const { return customBarSize_; }
    void SetCustomBarHeight(int value) { Store(customBarSize_, value); }

    TChartValueList& PrimaryValues() const override { return XValues(); }
    int PointScreenX(int index) const override;
    int PointScreenY(int index) const override;
    int MarkLength(int index) const override;
    double HighestX() const override { return HighestValue(XValues()); }
    double LowestX() const override { return LowestValue(XValues()); }
    void HorizontalMargins(int& a, int& b) const override;
    void VerticalMargins(int& a, int& b) const override;
    bool InheritsFrom(const std::type_info& cls) const override {
        return cls == typeid(THorizBarSeries) || TCustomBarSeries::InheritsFrom(cls);
    }

protected:
    TCustomChartAxis* BarAxis() const override { return ActiveVertAxis(); }
    // A wandering value for each place from 0 up.
    void AddSampleValues(int numValues, TSampleRandom& random) override;
};

} // namespace kiv
