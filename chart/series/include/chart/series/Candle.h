// Candles: every point a period's open, high, low and close, drawn as a body between open and
// close with wicks to the high and the low, or as a high-low bar with ticks at open and close.
#pragma once

#include "chart/engine/Series.h"

#include <vector>

namespace kiv {

enum TCandleStyle { csCandleStick, csCandleBar };

// A series of candles: open, high, low and close per date.
class TCandleSeries : public TChartSeries {
public:
    TCandleSeries();

    // Copies the candle settings (no checks, no repaint), then the base.
    void Assign(const TChartSeries& source) override;

    // Published properties
    TCandleStyle CandleStyle() const { return candleStyle_; }
    void SetCandleStyle(TCandleStyle value) { Store(candleStyle_, value); }
    // Body width in pixels; 0 sizes the bodies from the horizontal axis. Raises ChartException
    // below 0.
    int CandleWidth() const { return candleWidth_; }
    void SetCandleWidth(int value);
    // Colours of candles that close at or above their open, and below it.
    TColor UpCloseColor() const { return upCloseColor_; }
    void SetUpCloseColor(TColor value) { Store(upCloseColor_, value); }
    TColor DownCloseColor() const { return downCloseColor_; }
    void SetDownCloseColor(TColor value) { Store(downCloseColor_, value); }
    // Wicks and the bodies' outline; the high-low bars take its width and the candle's colour.
    TChartPen& HighLowPen() { return highLowPen_; }
    const TChartPen& HighLowPen() const { return highLowPen_; }
    // X is the candle's date; the Y list holds the closes.
    TChartValueList& DateValues() const { return XValues(); }
    TChartValueList& OpenValues() const { return *open_; }
    TChartValueList& HighValues() const { return *high_; }
    TChartValueList& LowValues() const { return *low_; }
    TChartValueList& CloseValues() const { return YValues(); }

    // Adds a candle; raises ChartException, adding nothing, unless every value is a number and
    // low <= open, close <= high.
    int AddCandle(double date, double open, double high, double low, double close);
    // Replaces the values of candle index, with the same checks.
    void SetCandle(int index, double open, double high, double low, double close);
    // A flat candle: open, high, low and close all y (raises for y that is not a number).
    int AppendPoint(double x, double y, const std::string& label = {},
                    TColor color = AutoColor) override;
    bool IsUp(int index) const { return CloseValues().ValueAt(index) >= open_->ValueAt(index); }

    // The body width of the last layout: odd, so the wick stands in the body's middle column.
    int BodyWidth() const { return bodyWidth_; }

    double HighestY() const override { return high_->HighValue(); }
    double LowestY() const override { return low_->LowValue(); }
    void HorizontalMargins(int& a, int& b) const override;
    // A 2D pass takes the pixels of all its candles at once and draws them in order.
    void DrawVisiblePoints() override;
    void DrawPoint(int index) override;
    // Marks stand over the high.
    void DrawPointMark(int index, const std::string& text, TSeriesMarkPosition& position) override;
    TColor LegendSwatchColor(int item) const override;
    void DrawLegendSymbol(int item, const TRect& rect) override;
    // The candle whose body or wick holds (x, y); -1 for none.
    int HitTest(int x, int y) const override;
    int SampleCount() const override { return 30; }
    bool InheritsFrom(const std::type_info& cls) const override {
        return cls == typeid(TCandleSeries) || TChartSeries::InheritsFrom(cls);
    }

protected:
    // A day's candle for each of the last numValues days, wandering from one close to the next.
    void AddSampleValues(int numValues, TSampleRandom& random) override;

private:
    // Candle index on screen: the wick's column, its rows from high to low (high <= low
    // whichever way the axis runs), the open and close rows and the body between them.
    struct TCandlePixels {
        int x, high, low, open, close, top, bottom, left, right; // right: first column after
    };
    TCandlePixels PixelsOf(int index) const;
    // The candle's pixels from the axes' pixels of its date, high, low, open and close.
    TCandlePixels PixelsFrom(int x, int high, int low, int open, int close) const;
    static void CheckValues(double open, double high, double low, double close);
    void ComputeBodyWidth() const;

    TChartValueList* open_;
    TChartValueList* high_;
    TChartValueList* low_;
    TCandleStyle candleStyle_ = csCandleStick;
    int candleWidth_ = 0;
    TColor upCloseColor_ = clGreen;
    TColor downCloseColor_ = clRed;
    TChartPen highLowPen_;
    mutable int bodyWidth_ = 1;
    // The pixels of a pass: dates, highs, lows, opens and closes, each column after the other.
    std::vector<int> pixels_;
};

} // namespace kiv
