// Axes: range, pixel placement, value-to-pixel mapping, label texts and the label step search.
#pragma once

#include "chart/KivConst.h"
#include "chart/canvas/Font.h"
#include "chart/canvas/Geometry.h"
#include "chart/canvas/Pen.h"
#include "chart/canvas/PublishedProperties.h"
#include "chart/engine/AxisTitle.h"
#include "chart/engine/DateTimeSteps.h"

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace kiv {

class TChartSeries;
class TCustomAxisPanel;
class TCustomChartAxis;

enum TAxisLabelStyle { talAuto, talNone, talValue, talMark, talText };

using TAxisOnGetLabel = std::function<void(TCustomChartAxis* sender, TChartSeries* series,
                                           int valueIndex, std::string& labelText)>;
using TAxisOnGetNextLabel =
    std::function<void(TCustomChartAxis* sender, int labelIndex, double& labelValue, bool& stop)>;

// An axis: its scale, labels, ticks, grid, title and the events that shape its labels.
class TCustomChartAxis : public TPublishedProperties<TCustomChartAxis> {
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

    // Layout: places the axis against rect (the chart's plotting rectangle so far) and, with
    // inflate, cuts the room of its title, labels and ticks off rect.
    void LayOut(TRect& rect, bool inflate);
    // Room across the axis for the line and the ticks, the title and the labels.
    int TickSpace() const;
    int TitleSpace();
    int LabelsSpace();
    // The width of the widest label this axis would draw, in the font selected on the canvas.
    int WidestLabel();

    // Drawing: title, labels, line, ticks, grid and minor ticks of one pass; placeLine puts the
    // line on the edge of the chart's plotting rectangle first.
    void DrawAxis(bool placeLine);
    // Draws a text of LineSeparator-separated lines at (x, y), aligned for this axis' side and
    // the angle, in the font selected on the canvas.
    void DrawLabelText(int x, int y, std::string_view text, int angle);
    // The tick positions of the last drawing pass, in the order the labels were produced.
    static constexpr int MaxTicks = 2000;
    std::span<const int> TickPositions() const { return {tickList_.data(), size_t(tickCount_)}; }

    // Moves the range by offset (a fixed range from then on); with checkLimits only while the
    // data reaches beyond the range in that direction.
    void ScrollBy(double offset, bool checkLimits);
    // Whether (x, y) lies on the shown axis: along it between its ends, across it between its
    // labels and its line (with a few pixels' tolerance beyond the line).
    bool HitAxis(int x, int y) const;

    // Mappings; every result lies in int range whatever the value.
    int ValueToPixel(double value) const;
    int XValueToPixel(double value) const;
    int YValueToPixel(double value) const;
    double PixelToValue(int pixel) const;
    // ValueToPixel of values[0..count) times multiplier, in one call for a whole drawing pass.
    void ValuesToPixels(const double* values, int count, double multiplier, int* pixels) const;

    // Labels and their step
    std::string LabelText(double value) const;
    double ComputeIncrement() const;
    static double NextNiceStep(double step);
    double StepDateTime(bool up, double value, TDateTimeStep step, double increment) const;
    static double RoundDateToStep(TDateTimeStep step, double value);
    // The table index of an increment: the highest entry within one second of it, or dtNone.
    static TDateTimeStep FindDateTimeStep(double increment);

protected:
    void Repaint() const;

private:
    friend TPublishedProperties<TCustomChartAxis>;
    void PropertyChanged() const { Repaint(); }

    int LinearPixel(double value, bool xForm) const;
    int LogPixel(double value, bool xForm) const;
    int DepthPixel(double value) const;
    bool HasDateTimeSeries() const;
    int LabelSize(double value, int fontHeight) const;

    // Layout helpers: the edge of rect the axis lies on, PositionPercent's shift of a position
    // and a move away from the chart.
    int Edge(const TRect& rect) const;
    int Shift(int position, const TRect& rect) const;
    int Outward(int position, int distance) const;

    // Drawing pass
    void AddTick(int position) {
        if (tickCount_ < MaxTicks) tickList_[size_t(tickCount_++)] = position;
    }
    void DrawTitle();
    void DrawLabels(double increment, TDateTimeStep step);
    void DrawDefaultLabels(double increment, TDateTimeStep step);
    void DrawLogarithmicLabels();
    void DrawCustomLabels(double increment, TDateTimeStep step);
    void DrawSeriesLabels(bool markTexts);
    void DrawDepthLabels();
    void DrawValueLabel(double value);
    void DrawLabelAt(int position, std::string_view text);
    void DrawLines(int x, int y, std::string_view text, int angle, int fontHeight);
    void DrawTicksAndGrid();
    void DrawTick(int position, int direction, int length, int wall);
    void DrawGridLine(int position);
    void DrawMinorTicks(bool grid);

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

    std::array<int, MaxTicks> tickList_{};
    int tickCount_ = 0;
    // The labels font's height while a pass draws labels.
    int labelsFontHeight_ = 0;
};

// One of a chart's axes (left, top, right, bottom, depth).
class TChartAxis : public TCustomChartAxis {
public:
    using TCustomChartAxis::TCustomChartAxis;
};

// The axis across the chart's depth: hidden by default, mapped onto the chart's depth.
class TChartDepthAxis : public TCustomChartAxis {
public:
    explicit TChartDepthAxis(TCustomAxisPanel* chart);
};

} // namespace kiv
