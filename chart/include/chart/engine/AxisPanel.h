// The panel with axes and series: the series list, the five standard axes, automatic ranges,
// paging, and text measuring for the axes.
#pragma once

#include "chart/engine/Axis.h"
#include "chart/engine/Series.h"
#include "chart/engine/SeriesList.h"
#include "chart/procs/PanelExtended.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// A panel with axes and series: the axes' layout and the drawing of the series.
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
    const TChartAxis& BottomAxis() const { return *bottomAxis_; }
    TChartAxis& TopAxis() { return *topAxis_; }
    TChartAxis& LeftAxis() { return *leftAxis_; }
    const TChartAxis& LeftAxis() const { return *leftAxis_; }
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

    // The thickness of the wall beside an axis; 0 in the base panel.
    virtual int WallThickness(const TCustomChartAxis*) const { return 0; }
    // The widest mark text of the active series and the widest point label of all series, in
    // the font selected on the canvas.
    int WidestMarkText();
    int WidestPointLabel();
    // The n-th active series shown in the legend, counting from 0: its Title, else its name,
    // else "Series " and n; empty when there is no such series.
    std::string SeriesLegendTitle(int n) const;
    // The value text of one point as the legend shows it; empty in the base panel.
    virtual std::string LegendValueText(const TChartSeries*, int) const { return {}; }

    // Depth of the current frame, in pixels: one series' band, and all bands together.
    int SeriesDepthWidth() const { return seriesDepthWidth_; }
    int SeriesDepthHeight() const { return seriesDepthHeight_; }
    int DepthWidth() const { return depthWidth_; }
    void SetDepthWidth(int value) { depthWidth_ = value; }
    int DepthHeight() const { return depthHeight_; }
    bool View3DWalls() const { return view3DWalls_; }
    void SetView3DWalls(bool value) { Store(view3DWalls_, value); }
    bool ClipPoints() const { return clipPoints_; }
    void SetClipPoints(bool value) { Store(clipPoints_, value); }

    // Steps of a frame, in the order the frame runs them.
    void ComputeDepthSizes();
    void LayoutAxes();
    void ApplySeriesMargins();
    void DrawAxes();

    // Set while a click handler runs; a handler that leaves it set has handled the click.
    bool CancelMouse() const { return cancelMouse_; }
    void SetCancelMouse(bool value) { cancelMouse_ = value; }

    // The canvas brush for a fill of color in style over background: a hatch or clear brush of
    // the background's own colour turns white on black, else black.
    void SetCanvasBrush(TColor color, TBrushStyle style, TColor background);
    // The legend's background colour in the last frame (AutoColor: the chart's colour).
    TColor LegendColor() const { return legendColor_; }
    void SetLegendColor(TColor value) { legendColor_ = value; }

    std::function<void(TComponent* sender)> OnPageChange;
    std::function<void(TComponent* sender)> OnBeforeDrawAxes;
    std::function<void(TComponent* sender)> OnBeforeDrawSeries;
    TAxisOnGetLabel OnGetAxisLabel;
    TAxisOnGetNextLabel OnGetNextAxisLabel;

protected:
    void DrawChartContents(const TRect& bounds) override;
    // Title, foot and legend, which take their room off the plotting rectangle.
    virtual void DrawTitlesLegend() {}
    virtual void PaintWalls() {}
    // The back wall's thickness, which a 3D frame keeps free behind the series.
    virtual int BackWallSize() const { return 0; }
    // The rubber band of a zoom being dragged, drawn again over a fresh frame.
    virtual void DrawZoomRectangle() {}

private:
    void DrawActiveSeries();
    void DrawSeries(TChartSeries* series);
    // The series of group_ (sharing one depth order in 3D), point by point.
    void DrawSeriesGroup();
    void DrawSeriesMarks(TChartSeries* series);
    bool ClipSeries();

    TChartSeriesList seriesList_;
    std::vector<TCustomChartAxis*> axes_;
    std::unique_ptr<TChartAxis> bottomAxis_, topAxis_, leftAxis_, rightAxis_;
    std::unique_ptr<TChartDepthAxis> depthAxis_;
    bool axisVisible_ = true;
    int page_ = 1;
    int maxPointsPerPage_ = 0;
    bool scaleLastPage_ = true;
    int maxZOrder_ = 0;
    int seriesDepthWidth_ = 0, seriesDepthHeight_ = 0;
    int depthWidth_ = 0, depthHeight_ = 0;
    bool view3DWalls_ = true;
    bool clipPoints_ = true;
    bool cancelMouse_ = false;
    TColor legendColor_ = clWhite;
    // The series of one depth group, reused from frame to frame.
    std::vector<TChartSeries*> group_;
};

} // namespace kiv
