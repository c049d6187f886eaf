// TCandleSeries: open, high, low and close per date, drawn as candles or high-low bars.

#include "chart/series/Candle.h"

#include "chart/canvas/Rounding.h"
#include "chart/engine/AxisPanel.h"
#include "chart/series/SeriesGeometry.h"

#include "rtl/DateTime.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

namespace kiv {

TCandleSeries::TCandleSeries() : highLowPen_([this] { StyleChanged(); }) {
    highLowPen_.Owner = this;
    XValues().SetDateTime(true);
    YValues().SetName(KivConst::KivMsg_ValuesClose);
    open_ = &AddValueList(KivConst::KivMsg_ValuesOpen);
    high_ = &AddValueList(KivConst::KivMsg_ValuesHigh);
    low_ = &AddValueList(KivConst::KivMsg_ValuesLow);
}

void TCandleSeries::Assign(const TChartSeries& source) {
    if (const auto* s = dynamic_cast<const TCandleSeries*>(&source); s && s != this) {
        candleStyle_ = s->candleStyle_;
        candleWidth_ = s->candleWidth_;
        upCloseColor_ = s->upCloseColor_;
        downCloseColor_ = s->downCloseColor_;
        highLowPen_.Assign(s->highLowPen_);
    }
    TChartSeries::Assign(source);
}

void TCandleSeries::SetCandleWidth(int value) {
    if (value < 0) throw ChartException(KivConst::KivMsg_CandleWidth);
    Store(candleWidth_, value);
}

// ---------------------------------------------------------------------------------------------
// Values

void TCandleSeries::CheckValues(double open, double high, double low, double close) {
    // The comparisons fail for values that are not numbers.
    if (!(low <= open && open <= high && low <= close && close <= high) || !std::isfinite(high) ||
        !std::isfinite(low))
        throw ChartException(KivConst::KivMsg_CandleValues);
}

int TCandleSeries::AddCandle(double date, double open, double high, double low, double close) {
    CheckValues(open, high, low, close);
    if (!std::isfinite(date)) throw ChartException(KivConst::KivMsg_CandleValues);
    open_->PendingValue = open;
    high_->PendingValue = high;
    low_->PendingValue = low;
    return TChartSeries::AppendPoint(date, close);
}

int TCandleSeries::AppendPoint(double x, double y, const std::string& label, TColor color) {
    if (!std::isfinite(x) || !std::isfinite(y)) throw ChartException(KivConst::KivMsg_CandleValues);
    open_->PendingValue = high_->PendingValue = low_->PendingValue = y;
    return TChartSeries::AppendPoint(x, y, label, color);
}

void TCandleSeries::SetCandle(int index, double open, double high, double low, double close) {
    CheckValues(open, high, low, close);
    open_->SetValueAt(index, open);
    high_->SetValueAt(index, high);
    low_->SetValueAt(index, low);
    CloseValues().SetValueAt(index, close);
    if (Active()) RequestRepaint();
}

void TCandleSeries::AddSampleValues(int numValues, TSampleRandom& random) {
    const double today = std::floor(rtl::Now());
    double close = 1000 + random.Below(500);
    for (int i = 0; i < numValues; ++i) {
        const double open = close;
        close = open + random.Below(41) - 20;
        const double high = std::max(open, close) + random.Below(12);
        const double low = std::min(open, close) - random.Below(12);
        AddCandle(today - numValues + 1 + i, open, high, low, close);
    }
}

// ---------------------------------------------------------------------------------------------
// Geometry

void TCandleSeries::ComputeBodyWidth() const {
    if (candleWidth_ > 0) {
        bodyWidth_ = candleWidth_;
        return;
    }
    int count = PointCount();
    if (ParentChart() && ParentChart()->MaxPointsPerPage() > 0)
        count = ParentChart()->MaxPointsPerPage();
    const int slot = ActiveHorizAxis() ? ActiveHorizAxis()->PixelSize() / (count + 1) : 0;
    // Seven tenths of a candle's share of the axis, made odd so the wick stands in the middle.
    int width = RoundPixel(0.7 * slot);
    if (width % 2 == 0) --width;
    bodyWidth_ = std::max(width, 1);
}

void TCandleSeries::HorizontalMargins(int& a, int& b) const {
    TChartSeries::HorizontalMargins(a, b);
    ComputeBodyWidth();
    // Room for half a body beside the first and last wick.
    a += bodyWidth_ / 2 + 1;
    b += bodyWidth_ / 2 + 1;
}

TCandleSeries::TCandlePixels TCandleSeries::PixelsFrom(int x, int high, int low, int open,
                                                       int close) const {
    TCandlePixels p;
    p.x = ClampToShapeRange(x);
    high = ClampToShapeRange(high);
    low = ClampToShapeRange(low);
    p.high = std::min(high, low);
    p.low = std::max(high, low);
    p.open = ClampToShapeRange(open);
    p.close = ClampToShapeRange(close);
    p.top = std::min(p.open, p.close);
    p.bottom = std::max(p.open, p.close);
    p.left = p.x - bodyWidth_ / 2;
    p.right = p.left + bodyWidth_;
    return p;
}

TCandleSeries::TCandlePixels TCandleSeries::PixelsOf(int index) const {
    return PixelsFrom(PointScreenX(index), YToScreen(high_->ValueAt(index)),
                      YToScreen(low_->ValueAt(index)), YToScreen(open_->ValueAt(index)),
                      PointScreenY(index));
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TCandleSeries::DrawVisiblePoints() {
    const int first = FirstVisible(), last = LastVisible();
    TCustomAxisPanel* chart = ParentChart();
    // A kind derived from this one may place its candles elsewhere, and a 3D chart draws each
    // at its depth: those go point by point.
    if (typeid(*this) != typeid(TCandleSeries) || !chart || chart->View3D() || first < 0 ||
        last < first || !ActiveHorizAxis() || !ActiveVertAxis())
        return TChartSeries::DrawVisiblePoints();
    // Every pixel of the pass in five calls, then the candles in order with one pen and the
    // brush's colour changed only where it differs.
    const int n = last - first + 1;
    pixels_.resize(size_t(5 * n));
    int* const columns[5] = {pixels_.data(), pixels_.data() + n, pixels_.data() + 2 * n,
                             pixels_.data() + 3 * n, pixels_.data() + 4 * n};
    ActiveHorizAxis()->ValuesToPixels(XValues().RawValues() + first, n, XValues().Multiplier(),
                                      columns[0]);
    const TChartValueList* values[4] = {high_, low_, open_, &CloseValues()};
    for (int k = 0; k < 4; ++k)
        ActiveVertAxis()->ValuesToPixels(values[k]->RawValues() + first, n, values[k]->Multiplier(),
                                         columns[k + 1]);
    const double* opens = open_->RawValues();
    const double* closes = CloseValues().RawValues();
    const double openScale = open_->Multiplier(), closeScale = CloseValues().Multiplier();
    TKivCanvas3D& canvas = chart->Canvas();
    canvas.UsePen(highLowPen_);
    const bool bars = candleStyle_ == csCandleBar;
    if (!bars) chart->SetCanvasBrush(upCloseColor_, bsSolid, chart->Color());
    for (int i = 0; i < n; ++i) {
        const int index = first + i;
        if (IsNullPoint(index)) continue;
        const TCandlePixels p =
            PixelsFrom(columns[0][i], columns[1][i], columns[2][i], columns[3][i], columns[4][i]);
        // IsUp, from the values the lists hold.
        const bool up = closes[index] * closeScale >= opens[index] * openScale;
        const TColor color = up ? upCloseColor_ : downCloseColor_;
        if (bars) {
            canvas.Pen().SetColor(color);
            canvas.LineSegment(p.x, p.high, p.x, p.low + 1);
            canvas.LineSegment(p.left, p.open, p.x, p.open);
            canvas.LineSegment(p.x + 1, p.close, p.right, p.close);
        } else {
            canvas.LineSegment(p.x, p.high, p.x, p.low + 1);
            canvas.Brush().SetColor(color);
            canvas.RectangleShape(p.left, p.top, p.right, p.bottom + 1);
        }
    }
}

void TCandleSeries::DrawPoint(int index) {
    if (!ParentChart() || IsNullPoint(index)) return;
    TCustomAxisPanel& chart = *ParentChart();
    TKivCanvas3D& canvas = chart.Canvas();
    const TCandlePixels p = PixelsOf(index);
    const TColor color = IsUp(index) ? upCloseColor_ : downCloseColor_;
    const bool is3D = chart.View3D();
    const int z = MiddleZ();
    // Lines leave out their end pixel: the wick ends one row below the low.
    auto line = [&](int x0, int y0, int x1, int y1) {
        if (is3D)
            canvas.LineAtDepth(x0, y0, x1, y1, z);
        else
            canvas.LineSegment(x0, y0, x1, y1);
    };
    canvas.UsePen(highLowPen_);
    if (candleStyle_ == csCandleBar) {
        canvas.Pen().SetColor(color);
        line(p.x, p.high, p.x, p.low + 1);
        line(p.left, p.open, p.x, p.open);
        line(p.x + 1, p.close, p.right, p.close);
        return;
    }
    line(p.x, p.high, p.x, p.low + 1);
    chart.SetCanvasBrush(color, bsSolid, chart.Color());
    // Rectangles leave out their right and bottom edge: the body covers the close's row.
    const TRect body{p.left, p.top, p.right, p.bottom + 1};
    if (is3D)
        canvas.RectangleAtDepth(body, z);
    else
        canvas.RectangleShape(body.left, body.top, body.right, body.bottom);
}

void TCandleSeries::DrawPointMark(int index, const std::string& text,
                                  TSeriesMarkPosition& position) {
    const int up = position.ArrowStart.y - PixelsOf(index).high;
    position.ArrowStart.y -= up;
    position.ArrowEnd.y -= up + Marks().ArrowLength();
    position.BoxTopLeft.y -= up + Marks().ArrowLength();
    TChartSeries::DrawPointMark(index, text, position);
}

TColor TCandleSeries::LegendSwatchColor(int item) const {
    return item >= 0 && item < PointCount() && !IsUp(item) ? downCloseColor_ : upCloseColor_;
}

void TCandleSeries::DrawLegendSymbol(int item, const TRect& rect) {
    if (!ParentChart()) return;
    TCustomAxisPanel& chart = *ParentChart();
    TKivCanvas3D& canvas = chart.Canvas();
    const TColor color = LegendSwatchColor(item);
    const int x = (rect.left + rect.right) / 2, quarter = (rect.bottom - rect.top) / 4;
    canvas.UsePen(highLowPen_);
    if (candleStyle_ == csCandleBar) {
        canvas.Pen().SetColor(color);
        canvas.LineSegment(x, rect.top, x, rect.bottom);
        canvas.LineSegment(rect.left, rect.bottom - quarter, x, rect.bottom - quarter);
        canvas.LineSegment(x + 1, rect.top + quarter, rect.right, rect.top + quarter);
        return;
    }
    canvas.LineSegment(x, rect.top, x, rect.bottom);
    chart.SetCanvasBrush(color, bsSolid, chart.Color());
    const int side = (rect.right - rect.left) / 4;
    canvas.RectangleShape(rect.left + side, rect.top + quarter, rect.right - side,
                          rect.bottom - quarter);
}

int TCandleSeries::HitTest(int x, int y) const {
    if (FirstVisible() < 0 || LastVisible() < 0) return -1;
    if (ParentChart()) ParentChart()->Canvas().ScreenToWorld(x, y, MiddleZ());
    const int last = std::min(LastVisible(), PointCount() - 1);
    for (int i = FirstVisible(); i <= last; ++i) {
        if (IsNullPoint(i)) continue;
        const TCandlePixels p = PixelsOf(i);
        if (x == p.x && y >= p.high && y <= p.low) return i;
        if (candleStyle_ == csCandleStick) {
            if (x >= p.left && x < p.right && y >= p.top && y <= p.bottom) return i;
        } else if ((y == p.open && x >= p.left && x < p.x) ||
                   (y == p.close && x > p.x && x < p.right)) {
            return i;
        }
    }
    return -1;
}

} // namespace kiv
