// TChartTools: the crosshair, the last-price lines and the calendar event markers over a chart.

#include "chart/series/ChartTools.h"

#include "chart/series/BarSeries.h"
#include "chart/series/Candle.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kiv {

namespace {

constexpr TColor TagText = clWhite;
constexpr TColor CrosshairColor = clGray;
constexpr TColor InfoBack = 0xE1FFFF; // a pale yellow

// The X values of series in ascending order, so that the point nearest a value is found by
// halving instead of a walk over the points.
bool AscendingX(const TChartSeries& s) {
    return s.XValues().Order() == loAscending;
}

} // namespace

void TChartTools::Set(bool& flag, bool on) {
    if (flag == on) return;
    flag = on;
    Changed();
}

void TChartTools::SetEventList(std::vector<TChartEvent> events) {
    eventList_ = std::move(events);
    if (events_) Changed();
}

void TChartTools::Changed() {
    if (host_) host_->Invalidate();
}

// ---------------------------------------------------------------------------------------------
// The chart's window

void TChartTools::SetHost(raster::IPanelHost* host) {
    host_ = host;
    chart_.SetHost(host);
}

void TChartTools::Paint(raster::RasterDevice& window, const gfx::TRect& rect) {
    chart_.Paint(window, rect);
    DrawTools(window);
}

void TChartTools::MouseDown(gfx::TMouseButton button, gfx::TShiftState shift, int x, int y) {
    // Zooming and panning draw on the window themselves: the crosshair keeps out of their way.
    pressed_ = true;
    rightClick_ = button == gfx::mbRight;
    rightDown_ = {x, y};
    if (mouseIn_ && crosshair_) Changed();
    mouseIn_ = false;
    if (button == gfx::mbLeft && (shift & gfx::ssDouble)) return chart_.ResetZoom();
    chart_.MouseDown(button, shift, x, y);
}

void TChartTools::MouseMove(gfx::TShiftState shift, int x, int y) {
    chart_.MouseMove(shift, x, y);
    // A few pixels of a shaking hand are still a click.
    if (std::abs(x - rightDown_.x) > 3 || std::abs(y - rightDown_.y) > 3) rightClick_ = false;
    if (pressed_) return;
    mouseIn_ = true;
    mouse_ = {x, y};
    if (crosshair_ || (events_ && !eventList_.empty())) Changed();
}

void TChartTools::MouseUp(gfx::TMouseButton button, gfx::TShiftState shift, int x, int y) {
    pressed_ = false;
    chart_.MouseUp(button, shift, x, y);
    if (button == gfx::mbRight && rightClick_ && OnContextMenu) OnContextMenu(x, y);
    rightClick_ = false;
}

void TChartTools::MouseLeave() {
    chart_.MouseLeave();
    if (mouseIn_ && (crosshair_ || events_)) Changed();
    mouseIn_ = false;
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TChartTools::DrawTools(raster::RasterDevice& window) {
    if (!crosshair_ && !lastPrice_ && !events_) return;
    TKivCanvas3D& canvas = chart_.Canvas();
    raster::RasterDevice* previous = canvas.Target();
    canvas.AttachCanvas(&window);
    canvas.Font().SetName("Arial");
    canvas.Font().SetSize(8);
    canvas.Font().SetStyle(0);
    canvas.SetBackgroundMode(cbmTransparent);
    canvas.SetTextAlignment(TA_LEFT | TA_TOP);
    const TRect r = chart_.ChartRect();
    if (events_) DrawEvents(r);
    if (lastPrice_) DrawLastPrices(r);
    if (crosshair_ && mouseIn_ && mouse_.x >= r.left && mouse_.x < r.right && mouse_.y >= r.top &&
        mouse_.y < r.bottom)
        DrawCrosshair(r);
    canvas.AttachCanvas(previous);
}

void TChartTools::Tag(int x, int y, const std::string& text, TColor color) {
    TKivCanvas3D& canvas = chart_.Canvas();
    const int w = canvas.MeasureTextWidth(text), h = canvas.MeasureTextHeight(text);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(color);
    canvas.FillRectangle({x, y, x + w + 6, y + h + 2});
    canvas.Font().SetColor(TagText);
    canvas.DrawText(x + 3, y + 1, text);
}

std::vector<int> TChartTools::SpreadTags(std::vector<int> rows, int height, int top, int bottom) {
    const int n = int(rows.size());
    std::vector<int> order(size_t(n), 0);
    for (int i = 0; i < n; ++i) order[size_t(i)] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return rows[size_t(a)] < rows[size_t(b)]; });
    // Down from the top, each at least a tag below the one above; then up from the bottom,
    // so that the last fits above it.
    std::vector<int> placed(size_t(n), 0);
    for (int k = 0; k < n; ++k) {
        int y = std::max(rows[size_t(order[size_t(k)])], top + height / 2);
        if (k > 0) y = std::max(y, placed[size_t(k - 1)] + height);
        placed[size_t(k)] = y;
    }
    for (int k = n - 1; k >= 0; --k) {
        int limit = bottom - (height - height / 2);
        if (k < n - 1) limit = std::min(limit, placed[size_t(k + 1)] - height);
        placed[size_t(k)] = std::min(placed[size_t(k)], limit);
    }
    for (int k = 0; k < n; ++k) rows[size_t(order[size_t(k)])] = placed[size_t(k)];
    return rows;
}

// A line's own colour; candles take the colour of their newest candle, since a candle series'
// colour is never drawn.
TColor TChartTools::LastPriceColor(const TChartSeries& series) {
    if (const auto* candles = dynamic_cast<const TCandleSeries*>(&series)) {
        const int last = candles->PointCount() - 1;
        return candles->IsUp(last) ? candles->UpCloseColor() : candles->DownCloseColor();
    }
    return series.SeriesColor();
}

void TChartTools::DrawLastPrices(const TRect& r) {
    TKivCanvas3D& canvas = chart_.Canvas();
    struct Line {
        TChartSeries* series;
        int y;
        std::string text;
    };
    std::vector<Line> lines;
    for (TChartSeries* s : chart_.SeriesList()) {
        if (!s->Active() || !s->NeedsAxes() || s->PointCount() == 0 || !s->ActiveVertAxis() ||
            dynamic_cast<TCustomBarSeries*>(s))
            continue;
        // The newest value: the last point (the X list keeps the dates in order).
        const double value = s->PointY(s->PointCount() - 1);
        if (!std::isfinite(value)) continue;
        const int y = s->YToScreen(value);
        if (y < r.top || y > r.bottom) continue;
        lines.push_back({s, y, s->ActiveVertAxis()->LabelText(value)});
    }
    if (lines.empty()) return;
    const int h = canvas.MeasureTextHeight("0") + 2;
    std::vector<int> rows;
    for (const Line& l : lines) rows.push_back(l.y);
    rows = SpreadTags(rows, h, 0, chart_.Height());
    for (size_t i = 0; i < lines.size(); ++i) {
        const TColor color = LastPriceColor(*lines[i].series);
        canvas.Pen().SetColor(color);
        canvas.Pen().SetWidth(1);
        canvas.Pen().SetStyle(psDash);
        canvas.HorizontalLine(r.left, r.right, lines[i].y);
        const int w = canvas.MeasureTextWidth(lines[i].text) + 6;
        Tag(r.left - w - 1, rows[i] - h / 2, lines[i].text, color);
    }
}

void TChartTools::DrawEvents(const TRect& r) {
    TCustomChartAxis& axis = chart_.BottomAxis();
    TKivCanvas3D& canvas = chart_.Canvas();
    std::string hovered;
    int hoveredX = 0;
    for (const TChartEvent& e : eventList_) {
        if (!(e.Time >= axis.Minimum() && e.Time <= axis.Maximum())) continue;
        const int x = axis.ValueToPixel(e.Time);
        if (x < r.left || x > r.right) continue;
        canvas.Pen().SetColor(e.Color);
        canvas.Pen().SetWidth(1);
        canvas.Pen().SetStyle(psDot);
        canvas.VerticalLine(x, r.top, r.bottom);
        if (mouseIn_ && std::abs(mouse_.x - x) <= 2 && mouse_.y >= r.top && mouse_.y < r.bottom) {
            hovered += (hovered.empty() ? "" : ", ") + e.Name;
            hoveredX = x;
        }
    }
    if (hovered.empty()) return;
    const int w = canvas.MeasureTextWidth(hovered) + 6;
    Tag(std::clamp(hoveredX + 3, 0, std::max(0, chart_.Width() - w)), r.top + 2, hovered,
        CrosshairColor);
}

void TChartTools::DrawCrosshair(const TRect& r) {
    TKivCanvas3D& canvas = chart_.Canvas();
    const int x = mouse_.x, y = mouse_.y;
    canvas.Pen().SetColor(CrosshairColor);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetStyle(psSolid);
    canvas.VerticalLine(x, r.top, r.bottom);
    canvas.HorizontalLine(r.left, r.right, y);

    // The time under the mouse below the chart, the value beside it, both kept on the panel.
    const int h = canvas.MeasureTextHeight("0") + 2;
    const std::string time = chart_.BottomAxis().LabelText(chart_.BottomAxis().PixelToValue(x));
    const int tw = canvas.MeasureTextWidth(time) + 6;
    Tag(std::clamp(x - tw / 2, 0, std::max(0, chart_.Width() - tw)), r.bottom + 1, time,
        CrosshairColor);
    const std::string value = chart_.LeftAxis().LabelText(chart_.LeftAxis().PixelToValue(y));
    const int vw = canvas.MeasureTextWidth(value) + 6;
    Tag(std::max(0, r.left - vw - 1), std::clamp(y - h / 2, 0, std::max(0, chart_.Height() - h)),
        value, CrosshairColor);

    // In each series the point nearest the mouse's column; of those, the nearest on screen.
    const TChartSeries* best = nullptr;
    int bestIndex = -1;
    long long bestDistance = 0;
    auto valid = [](const TChartSeries& s, int i) {
        return i >= 0 && i < s.PointCount() && std::isfinite(s.PointX(i)) &&
               std::isfinite(s.PointY(i));
    };
    for (const TChartSeries* s : chart_.SeriesList()) {
        if (!s->Active() || !s->NeedsAxes() || s->PointCount() == 0 || !s->ActiveHorizAxis())
            continue;
        int first = std::max(s->FirstVisible(), 0), last = s->LastVisible();
        if (AscendingX(*s)) {
            const double at = s->ActiveHorizAxis()->PixelToValue(x);
            const double* xs = s->XValues().RawValues();
            const double scale = s->XValues().Multiplier();
            // Raw values times a positive multiplier keep their order.
            last =
                int(std::lower_bound(xs, xs + s->PointCount(), scale > 0 ? at / scale : at) - xs);
            first = last - 1;
        }
        int pick = -1;
        for (int i = first; i <= last; ++i)
            if (valid(*s, i) && (pick < 0 || std::abs(s->PointScreenX(i) - x) <=
                                                 std::abs(s->PointScreenX(pick) - x)))
                pick = i;
        if (pick < 0) continue;
        const long long dx = s->PointScreenX(pick) - x, dy = s->PointScreenY(pick) - y;
        if (best && dx * dx + dy * dy >= bestDistance) continue;
        best = s;
        bestIndex = pick;
        bestDistance = dx * dx + dy * dy;
    }
    if (!best) return;
    const std::string lines[2] = {best->ActiveHorizAxis()->LabelText(best->PointX(bestIndex)),
                                  (best->Title().empty() ? std::string() : best->Title() + " ") +
                                      best->ActiveVertAxis()->LabelText(best->PointY(bestIndex))};
    const int lh = canvas.MeasureTextHeight("0");
    const int bw = std::max(canvas.MeasureTextWidth(lines[0]), canvas.MeasureTextWidth(lines[1])) +
                   8,
              bh = 2 * lh + 6;
    // Beside the mouse, inside the plot where there is room.
    int bx = x + 12, by = y + 12;
    if (bx + bw > r.right) bx = x - 12 - bw;
    if (by + bh > r.bottom) by = y - 12 - bh;
    bx = std::max(bx, r.left);
    by = std::max(by, r.top);
    canvas.Pen().SetColor(clBlack);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(InfoBack);
    canvas.RectangleShape(bx, by, bx + bw, by + bh);
    canvas.Font().SetColor(clBlack);
    canvas.DrawText(bx + 4, by + 3, lines[0]);
    canvas.DrawText(bx + 4, by + 3 + lh, lines[1]);
}

} // namespace kiv
