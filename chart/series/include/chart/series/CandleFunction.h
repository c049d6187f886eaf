// Candles from ticks: the function of a candle series that turns the points of its source into
// one candle per period, and keeps the last candle up to date as the source gains points.
#pragma once

#include "chart/engine/Function.h"

namespace kiv {

class TCandleSeries;

// Builds the candles of a date-time period (or of N ticks) from a source series.
class TCandleKivFunction : public TKivFunction {
public:
    // Candles of one minute (Period 1/1440 of a day, PeriodStyle psRange), placed at the
    // start of their period (PeriodAlign paFirst).
    TCandleKivFunction();

    // With psRange a candle holds the points whose date falls in one period of the date-time
    // scale, periods starting at whole multiples of Period from day 0; with psNumPoints, every
    // Period points in turn, dated by the first. Open and close are the first and the last
    // point of the period in the source's order, high and low its extremes. Points whose date
    // or value is not a number belong to no candle. Raises ChartException when the parent is
    // no candle series, or with psRange when the source's dates are not date-times.
    void AddFunctionPoints(TChartSeries* source) override;
    // A point added at the end of the source moves the last candle or starts a new one, one
    // added at the front (psRange) the first; a point added elsewhere rebuilds the candles.
    void SourcePointAdded(TChartSeries* source, int index) override;

protected:
    // A candle needs a period above 0.
    void CheckPeriod(double value) const override;

private:
    struct TTick {
        double date, value;
        long long key; // the period the point falls in
    };
    TCandleSeries& Candles() const;
    // False for a point that belongs to no candle.
    bool TickAt(const TChartSeries& source, int index, TTick& tick) const;
    // The date a candle of the period key stands at.
    double CandleDate(long long key, double firstDate) const;
    // Takes the point added at index into the first candle when it falls inside that candle's
    // period after its first point; false, changing nothing, otherwise.
    bool InsideFirstCandle(const TChartSeries& source, int index);

    // The periods of the first and the last candle, and the number of candles they were the
    // first and last of: a candle series that no longer has that many candles was changed by
    // someone else.
    long long firstKey_ = 0;
    long long lastKey_ = 0;
    int lastCount_ = 0;
};

} // namespace kiv
