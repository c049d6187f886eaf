// The chart control: title, foot, walls and legend around the plot, the mouse (clicks, zoom,
// panning, the wheel) and the zoom state with the scales it restores.
#pragma once

#include "chart/control/ChartLegend.h"
#include "chart/control/ChartTitle.h"
#include "chart/control/ChartWall.h"
#include "chart/engine/AxisPanel.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace kiv {

enum TChartClickedPartStyle { cpNone, cpLegend, cpAxis, cpSeries, cpTitle, cpFoot, cpChartRect };

// The part of a chart under a point: legend, axis, series, title, foot or plot.
struct TChartClickedPart {
    TChartClickedPartStyle Part = cpNone;
    int PointIndex = -1;
    TChartSeries* ASeries = nullptr;
    TCustomChartAxis* AAxis = nullptr;
};

class TCustomChart;

using TChartMouseEvent =
    std::function<void(TCustomChart* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TChartClickAxis = std::function<void(TCustomChart* sender, TCustomChartAxis* axis,
                                           TMouseButton button, TShiftState shift, int x, int y)>;
using TChartClickSeries =
    std::function<void(TCustomChart* sender, TChartSeries* series, int valueIndex,
                       TMouseButton button, TShiftState shift, int x, int y)>;
using TChartAllowScroll = std::function<void(TCustomChartAxis* sender, double& newMin,
                                             double& newMax, bool& allowScroll)>;
using TChartGetLegendText = std::function<void(TCustomChart* sender, TLegendStyle style, int index,
                                               std::string& legendText)>;
using TChartGetLegendPos = std::function<void(TCustomChart* sender, int index, int& x, int& y)>;
using TChartGetLegendRect = std::function<void(TCustomChart* sender, TRect& rect)>;

// A chart with its title, foot, walls and legend, the mouse, zoom and panning.
class TCustomChart : public TCustomAxisPanel {
public:
    TCustomChart();
    ~TCustomChart() override;

    TChartTitle& Title() { return title_; }
    TChartTitle& Foot() { return foot_; }
    TChartWall& BackWall() { return backWall_; }
    TChartWall& LeftWall() { return leftWall_; }
    TChartWall& BottomWall() { return bottomWall_; }
    TChartLegend& Legend() { return legend_; }
    const TChartLegend& Legend() const { return legend_; }
    bool BackImageInside() const { return backImageInside_; }
    void SetBackImageInside(bool value) { Store(backImageInside_, value); }
    // The back wall's colour and pen.
    TColor BackColor() const { return backWall_.Color(); }
    void SetBackColor(TColor value) { backWall_.SetColor(value); }
    TChartPen& Frame() { return backWall_.Pen(); }

    // Zoom: to the zoom record's rectangle, to given axis ranges, and back.
    void ZoomToRectangle();
    void ZoomRect(const TRect& rect);
    struct TAxisRange {
        TCustomChartAxis* Axis;
        double Minimum, Maximum;
    };
    void ApplyZoom(const std::vector<TAxisRange>& ranges);
    void ResetZoom();
    // Whether a zoom, pan or wheel scroll has changed the ranges since the last ResetZoom.
    bool ViewChanged() const { return !scalesRestored_; }
    // Draws the zoom record's rectangle in not-xor: a second call erases it.
    void ToggleZoomRectangle();

    // The part of the chart under (x, y), tested in click order.
    TChartClickedPart FindPartAt(int x, int y);
    // The n-th series listed in the legend (from 0), or nullptr.
    TChartSeries* SeriesLegend(int n) const;
    std::string LegendValueText(const TChartSeries* series, int index) const override;
    // Not free either, with checkBackground: the back wall's colour.
    bool IsFreeSeriesColor(TColor color, bool checkBackground) const override;
    // In a 3D chart with walls: the left wall's size beside the left axis, the bottom wall's
    // beside the bottom axis; 0 otherwise.
    int WallThickness(const TCustomChartAxis* axis) const override;

    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseLeave() override;
    bool MouseWheel(TShiftState shift, int delta, int x, int y) override;

    TChartClickAxis OnClickAxis;
    TChartMouseEvent OnClickLegend;
    TChartClickSeries OnClickSeries;
    TChartMouseEvent OnClickBackground;
    TChartAllowScroll OnAllowScroll;
    TChartGetLegendText OnGetLegendText;
    TChartGetLegendPos OnGetLegendPos;
    TChartGetLegendRect OnGetLegendRect;

protected:
    void DrawTitlesLegend() override;
    void PaintWalls() override;
    int BackWallSize() const override { return backWall_.Size(); }
    void DrawZoomRectangle() override { ToggleZoomRectangle(); }
    bool BackImageBehindPanel() const override { return !backImageInside_; }

private:
    struct TSavedScale {
        bool Automatic, AutomaticMinimum, AutomaticMaximum;
        double Minimum, Maximum;
    };
    std::array<TCustomChartAxis*, 4> MainAxes();
    void SaveScales();
    // Sets the canvas for a wall: its pen, and its bitmap, no brush or its colour.
    void PrepareWall(TChartWall& wall);
    void StartZoomOrPan(TMouseButton button, int x, int y);
    // Moves every axis of one direction by the pixels from oldPixel to newPixel; answers whether
    // the direction may pan at all.
    bool PanAxes(bool horizontal, int newPixel, int oldPixel);
    // Sets the cancel flag, runs handler, and answers whether the handler left the flag set.
    bool Handled(const std::function<void()>& handler);

    TChartTitle title_;
    TChartTitle foot_;
    TChartWall backWall_;
    TChartWall leftWall_;
    TChartWall bottomWall_;
    TChartLegend legend_;
    bool backImageInside_ = false;
    std::array<TSavedScale, 4> savedScales_{};
    bool scalesRestored_ = true;
};

} // namespace kiv
