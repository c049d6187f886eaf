// TCandleKivFunction: candles of a period from the points of a source, kept up to date as the
// source gains points at its end.

#include "chart/series/CandleFunction.h"

#include "chart/KivConst.h"
#include "chart/series/Candle.h"

#include "rtl/Format.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kiv {

namespace {

constexpr double MsPerDay = 86400000.0;
// Dates and periods are counted in whole milliseconds; beyond this many days (some 27 million
// years) a count would not fit.
constexpr double MaxDays = 1e10;

const TChartValueList& DatesOf(const TChartSeries& source) {
    return source.IsYPrimary() ? source.XValues() : source.YValues();
}

} // namespace

TCandleKivFunction::TCandleKivFunction() {
    SetPeriodStyle(psRange);
    SetPeriodAlign(paFirst);
    SetPeriod(1.0 / 1440);
}

void TCandleKivFunction::CheckPeriod(double value) const {
    if (!(value > 0) || !std::isfinite(value)) throw ChartException(KivConst::KivMsg_CandlePeriod);
}

TCandleSeries& TCandleKivFunction::Candles() const {
    auto* candles = dynamic_cast<TCandleSeries*>(ParentSeries());
    if (!candles) throw ChartException(KivConst::KivMsg_CandleSeries);
    return *candles;
}

bool TCandleKivFunction::TickAt(const TChartSeries& source, int index, TTick& tick) const {
    tick.date = DatesOf(source).ValueAt(index);
    tick.value = OperandList(source).ValueAt(index);
    if (!std::isfinite(tick.date) || !std::isfinite(tick.value)) return false;
    if (PeriodStyle() == psNumPoints) {
        tick.key = index / std::max(1LL, std::llround(std::min(Period(), MaxDays)));
        return true;
    }
    if (!(std::fabs(tick.date) < MaxDays)) return false;
    const long long ms = std::llround(tick.date * MsPerDay);
    const long long period = std::max(1LL, std::llround(std::min(Period(), MaxDays) * MsPerDay));
    // Periods start at whole multiples of the period, before day 0 too.
    tick.key = ms / period - (ms % period < 0 ? 1 : 0);
    return true;
}

double TCandleKivFunction::CandleDate(long long key, double firstDate) const {
    if (PeriodStyle() == psNumPoints) return firstDate;
    const double period =
        double(std::max(1LL, std::llround(std::min(Period(), MaxDays) * MsPerDay)));
    const double start = double(key) * period;
    switch (PeriodAlign()) {
    case paFirst:
        return start / MsPerDay;
    case paLast:
        return (start + period) / MsPerDay;
    default:
        return (start + period * 0.5) / MsPerDay;
    }
}

void TCandleKivFunction::AddFunctionPoints(TChartSeries* source) {
    if (!source || !ParentSeries()) return;
    TCandleSeries& candles = Candles();
    if (PeriodStyle() == psRange && !DatesOf(*source).DateTime())
        throw ChartException(rtl::Format(KivConst::KivMsg_CandleDateTime, {source->Name()}));
    const int count = source->PointCount();
    // Points come in the order of their periods, unless the source is not ordered by date:
    // then the points are taken period by period, keeping their order within a period.
    std::vector<int> order;
    TTick tick;
    long long previous = 0;
    bool any = false, sorted = true;
    for (int i = 0; i < count && sorted; ++i) {
        if (!TickAt(*source, i, tick)) continue;
        sorted = !any || tick.key >= previous;
        previous = tick.key;
        any = true;
    }
    if (!sorted) {
        std::vector<std::pair<long long, int>> keyed;
        for (int i = 0; i < count; ++i)
            if (TickAt(*source, i, tick)) keyed.emplace_back(tick.key, i);
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        order.reserve(keyed.size());
        for (const auto& k : keyed) order.push_back(k.second);
    }

    double date = 0, open = 0, high = 0, low = 0, close = 0;
    any = false;
    auto flush = [&] {
        if (!any) return;
        if (candles.PointCount() == 0) firstKey_ = lastKey_;
        candles.AddCandle(CandleDate(lastKey_, date), open, high, low, close);
    };
    const int n = sorted ? count : int(order.size());
    for (int k = 0; k < n; ++k) {
        if (!TickAt(*source, sorted ? k : order[size_t(k)], tick)) continue;
        if (any && tick.key == lastKey_) {
            high = std::max(high, tick.value);
            low = std::min(low, tick.value);
            close = tick.value;
            continue;
        }
        flush();
        lastKey_ = tick.key;
        date = tick.date;
        open = high = low = close = tick.value;
        any = true;
    }
    flush();
    lastCount_ = candles.PointCount();
}

bool TCandleKivFunction::InsideFirstCandle(const TChartSeries& source, int index) {
    // Ticks of one time refilled newest first land behind those already there: a tick between
    // two of the first candle's period, or behind them at the period's end, leaves its open and
    // changes its high, low and close alone. Anything else, or a tick beside a point that is not
    // a number, is left to a rebuild.
    TTick before, tick, after;
    if (PeriodStyle() != psRange || lastCount_ == 0 || index < 1 ||
        index + 1 >= source.PointCount() || !TickAt(source, index - 1, before) ||
        !TickAt(source, index, tick) || !TickAt(source, index + 1, after) ||
        before.key != firstKey_ || tick.key != firstKey_ || after.key < firstKey_)
        return false;
    TCandleSeries& candles = Candles();
    const double v = tick.value;
    candles.SetCandle(0, candles.OpenValues().ValueAt(0),
                      std::max(candles.HighValues().ValueAt(0), v),
                      std::min(candles.LowValues().ValueAt(0), v),
                      after.key == firstKey_ ? candles.CloseValues().ValueAt(0) : v);
    return true;
}

void TCandleKivFunction::SourcePointAdded(TChartSeries* source, int index) {
    auto* candles = dynamic_cast<TCandleSeries*>(ParentSeries());
    if (!source || !candles) return;
    // A source that has lost its dates since the candles were built adds nothing.
    if (PeriodStyle() == psRange && !DatesOf(*source).DateTime()) return;
    const bool atEnd = index == source->PointCount() - 1;
    // A point before the first (a source refilled newest first) moves or starts the first
    // candle, as one after the last does the last; elsewhere the candles are rebuilt.
    const bool atFront = index == 0 && !atEnd && PeriodStyle() == psRange;
    if (candles->PointCount() != lastCount_) return candles->RecalculateFrom(source);
    if (!atEnd && !atFront) {
        if (!InsideFirstCandle(*source, index)) candles->RecalculateFrom(source);
        return;
    }
    TTick tick;
    if (!TickAt(*source, index, tick)) return;
    const double v = tick.value;
    const int i = atEnd ? lastCount_ - 1 : 0;
    const long long key = atEnd ? lastKey_ : firstKey_;
    if (lastCount_ > 0 && tick.key == key) {
        const TChartValueList &open = candles->OpenValues(), &close = candles->CloseValues();
        candles->SetCandle(
            i, atEnd ? open.ValueAt(i) : v, std::max(candles->HighValues().ValueAt(i), v),
            std::min(candles->LowValues().ValueAt(i), v), atEnd ? v : close.ValueAt(i));
        return;
    }
    if (lastCount_ > 0 && (atEnd ? tick.key < key : tick.key > key))
        return candles->RecalculateFrom(source);
    candles->AddCandle(CandleDate(tick.key, tick.date), v, v, v, v);
    if (atEnd || lastCount_ == 0) lastKey_ = tick.key;
    if (!atEnd || lastCount_ == 0) firstKey_ = tick.key;
    lastCount_ = candles->PointCount();
}

} // namespace kiv
