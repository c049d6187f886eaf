// Tools drawn over a chart's finished picture, between the chart and the window that shows it:
// a crosshair that follows the mouse, with the time and the value under it in tags on the
// bottom and left axes and the nearest point's values in a box; a line at the newest value of
// each line series, in its colour, with the value in a tag on the left axis; and markers at
// calendar events inside the bottom axis' range, whose name shows while the mouse rests on one.
// The chart is not redrawn for them: a mouse move asks the window for a paint, which an
// unchanged chart serves from its buffer before the tools draw over it. Every tool starts off.
#pragma once

#include "chart/control/CustomChart.h"
#include "raster/PanelHost.h"

#include <functional>
#include <string>
#include <vector>

namespace kiv {

// A calendar event shown as a marker: its minute, its name and its colour.
struct TChartEvent {
    double Time = 0; // date-time of the event's minute
    std::string Name;
    TColor Color = clGray;
};

// The crosshair, last-price lines and event markers drawn over one chart's picture.
class TChartTools : public raster::IPanelClient {
public:
    explicit TChartTools(TCustomChart& chart) : chart_(chart) {}

    bool Crosshair() const { return crosshair_; }
    void SetCrosshair(bool on) { Set(crosshair_, on); }
    bool LastPrice() const { return lastPrice_; }
    void SetLastPrice(bool on) { Set(lastPrice_, on); }
    bool Events() const { return events_; }
    void SetEvents(bool on) { Set(events_, on); }
    void SetEventList(std::vector<TChartEvent> events);

    // A right click that did not drag (a right drag pans the chart), at the click's place.
    std::function<void(int x, int y)> OnContextMenu;

    // Draws the tools that are on over the chart's last frame in window.
    void DrawTools(raster::RasterDevice& window);

    // Left tags of the last-price lines: their centre rows, moved apart so that none overlaps
    // another and all stay within rows top to bottom, in the order of rows.
    static std::vector<int> SpreadTags(std::vector<int> rows, int height, int top, int bottom);

    // raster::IPanelClient: everything goes on to the chart but a left double click, which gives
    // the chart its automatic ranges back (ResetZoom); while no button is held, the crosshair
    // follows the mouse.
    void SetHost(raster::IPanelHost* host) override;
    void Paint(raster::RasterDevice& window, const gfx::TRect& rect) override;
    void Resized() override { chart_.Resized(); }
    void MouseDown(gfx::TMouseButton button, gfx::TShiftState shift, int x, int y) override;
    void MouseMove(gfx::TShiftState shift, int x, int y) override;
    void MouseUp(gfx::TMouseButton button, gfx::TShiftState shift, int x, int y) override;
    void MouseLeave() override;
    bool MouseWheel(gfx::TShiftState shift, int delta, int x, int y) override {
        return chart_.MouseWheel(shift, delta, x, y);
    }

private:
    void Set(bool& flag, bool on);
    void Changed();
    // A filled box with text, white on color, whose top left corner is (x, y).
    void Tag(int x, int y, const std::string& text, TColor color);
    void DrawEvents(const TRect& r);
    static TColor LastPriceColor(const TChartSeries& series);
    void DrawLastPrices(const TRect& r);
    void DrawCrosshair(const TRect& r);

    TCustomChart& chart_;
    raster::IPanelHost* host_ = nullptr;
    bool crosshair_ = false, lastPrice_ = false, events_ = false;
    std::vector<TChartEvent> eventList_;
    // The mouse over the chart, while no button is held.
    bool mouseIn_ = false, pressed_ = false;
    TPoint mouse_{0, 0};
    // Where the right button went down, and whether the mouse has moved away since.
    TPoint rightDown_{0, 0};
    bool rightClick_ = false;
};

} // namespace kiv
