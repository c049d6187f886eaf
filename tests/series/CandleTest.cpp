#include "SeriesTestSupport.h"

#include "rtl/DateTime.h"

#include <cmath>
#include <limits>
#include <tuple>

using namespace kiv;
using raster::Call;

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct CandleTest : SeriesFixture {
    // Two candles on the fixed axes: an up one at x 10 (pixel 180) and a down one at x 20
    // (pixel 260); a value v lies at pixel 450 - 4 v.
    TCandleSeries* TwoCandles() {
        auto* s = Add<TCandleSeries>();
        s->AddCandle(10, 20, 50, 10, 40);
        s->AddCandle(20, 40, 45, 5, 30);
        return s;
    }
    // The body width the margins pass computes.
    int LayoutCandles(TCandleSeries& s) {
        Layout();
        int a = 0, b = 0;
        s.HorizontalMargins(a, b);
        EXPECT_EQ(a, s.BodyWidth() / 2 + 1);
        EXPECT_EQ(b, a);
        s.UpdateVisibleRange();
        return s.BodyWidth();
    }
    std::vector<Call> Shapes() const {
        std::vector<Call> shapes;
        for (const Call& c : dev.Calls()) {
            if (c.op == "MoveTo" || c.op == "LineTo" || c.op == "Rectangle")
                shapes.push_back(c);
            else if (c.op == "SetBrush" || c.op == "SetPen")
                shapes.push_back(Call(c.op, {c.args[0]}));
        }
        return shapes;
    }
};

using Candle = std::tuple<double, double, double, double, double>;

std::vector<Candle> CandlesOf(const TCandleSeries& s) {
    std::vector<Candle> out;
    for (int i = 0; i < s.PointCount(); ++i)
        out.emplace_back(s.DateValues()[i], s.OpenValues()[i], s.HighValues()[i], s.LowValues()[i],
                         s.CloseValues()[i]);
    return out;
}

} // namespace

TEST_F(CandleTest, BodiesWicksAndBarsUpAndDown) {
    TCandleSeries* s = TwoCandles();
    s->SetCandleWidth(9);
    EXPECT_EQ(LayoutCandles(*s), 9);
    Draw(*s);
    // The wick reaches one row past the low (lines leave out their end pixel), the body one
    // column and row past its right edge and its lower end (rectangles leave those out); the
    // device hears only of pens and brushes that change.
    const std::vector<Call> candles = {Call("SetPen", {clBlack}),
                                       Call("MoveTo", {180, 250}),
                                       Call("LineTo", {180, 411}),
                                       Call("SetBrush", {clGreen}),
                                       Call("Rectangle", {176, 290, 185, 371}),
                                       Call("MoveTo", {260, 270}),
                                       Call("LineTo", {260, 431}),
                                       Call("SetBrush", {clRed}),
                                       Call("Rectangle", {256, 290, 265, 331})};
    EXPECT_EQ(Shapes(), candles);
    // Bars: the high-low line in the candle's colour, the open's tick on the left up to the
    // wick, the close's on the right from the column after it.
    s->SetCandleStyle(csCandleBar);
    Draw(*s);
    const std::vector<Call> bars = {
        Call("SetPen", {clGreen}),  Call("MoveTo", {180, 250}), Call("LineTo", {180, 411}),
        Call("MoveTo", {176, 370}), Call("LineTo", {180, 370}), Call("MoveTo", {181, 290}),
        Call("LineTo", {185, 290}), Call("SetPen", {clRed}),    Call("MoveTo", {260, 270}),
        Call("LineTo", {260, 431}), Call("MoveTo", {256, 290}), Call("LineTo", {260, 290}),
        Call("MoveTo", {261, 330}), Call("LineTo", {265, 330})};
    EXPECT_EQ(Shapes(), bars);
}

TEST_F(CandleTest, AutomaticWidthIsSevenTenthsOfASlotMadeOdd) {
    TCandleSeries* s = TwoCandles();
    // 800 pixels for 2 candles: a slot of 266, 186.2 rounds to 186, made odd: 185.
    EXPECT_EQ(LayoutCandles(*s), 185);
    // Slots of 15 and 5 pixels: 10.5 and 3.5 round to the even 10 and 4, then 9 and 3.
    chart.SetMaxPointsPerPage(52);
    EXPECT_EQ(LayoutCandles(*s), 9);
    chart.SetMaxPointsPerPage(159);
    EXPECT_EQ(LayoutCandles(*s), 3);
    // A slot under two pixels still leaves a one-pixel body.
    chart.SetMaxPointsPerPage(1000);
    EXPECT_EQ(LayoutCandles(*s), 1);
    Draw(*s);
    EXPECT_EQ(Calls("Rectangle").front(), Call("Rectangle", {180, 290, 181, 371}));
}

// A 2D pass takes all its pixels at once; candle by candle (as a 3D chart draws them) the same
// shapes come out: a candle that closes at its open is up, the colours follow the values
// whichever way the axis runs, and a null point is left out.
TEST_F(CandleTest, APassDrawsWhatCandleByCandleDrawingDraws) {
    TCandleSeries* s = TwoCandles();
    s->AddCandle(30, 25, 30, 20, 25);
    s->AddCandle(40, 30, 35, 10, 20);
    s->AddCandle(50, 20, 60, 15, 55);
    s->SetPointColor(3, NoColor);
    s->SetCandleWidth(5);
    for (bool inverted : {false, true})
        for (TCandleStyle style : {csCandleStick, csCandleBar}) {
            SCOPED_TRACE(inverted ? "inverted" : "upright");
            SCOPED_TRACE(int(style));
            chart.LeftAxis().SetInverted(inverted);
            s->SetCandleStyle(style);
            // Each drawing starts a frame, so the device hears of the first pen and brush.
            LayoutCandles(*s);
            Draw(*s);
            const std::vector<Call> pass = Shapes();
            LayoutCandles(*s);
            dev.Clear();
            for (int i = 0; i < s->PointCount(); ++i) s->DrawPoint(i);
            EXPECT_EQ(Shapes(), pass);
            const std::vector<Call> colors = {
                Call(style == csCandleBar ? "SetPen" : "SetBrush", {clGreen}),
                Call(style == csCandleBar ? "SetPen" : "SetBrush", {clRed}),
                Call(style == csCandleBar ? "SetPen" : "SetBrush", {clGreen})};
            std::vector<Call> changes;
            for (const Call& c : pass)
                if (c.op == colors[0].op) changes.push_back(c);
            EXPECT_EQ(changes, colors);
        }
}

TEST_F(CandleTest, ClicksOnBodiesWicksAndTicks) {
    TCandleSeries* s = TwoCandles();
    s->SetCandleWidth(9);
    LayoutCandles(*s);
    EXPECT_EQ(s->HitTest(176, 300), 0);  // the body's left column
    EXPECT_EQ(s->HitTest(184, 370), 0);  // its right column, at the open
    EXPECT_EQ(s->HitTest(185, 300), -1); // past the body
    EXPECT_EQ(s->HitTest(180, 250), 0);  // the wick's top
    EXPECT_EQ(s->HitTest(180, 411), -1); // one below the low
    EXPECT_EQ(s->HitTest(179, 260), -1); // beside the upper wick
    EXPECT_EQ(s->HitTest(260, 430), 1);
    s->SetCandleStyle(csCandleBar);
    EXPECT_EQ(s->HitTest(177, 370), 0);  // the open's tick
    EXPECT_EQ(s->HitTest(177, 290), -1); // no tick there: the close's is on the right
    EXPECT_EQ(s->HitTest(184, 290), 0);
    EXPECT_EQ(s->HitTest(178, 300), -1); // bars have no body
}

TEST_F(CandleTest, BadCandlesRaiseAndKeepWhatWasThere) {
    TCandleSeries* s = TwoCandles();
    const std::vector<Candle> before = CandlesOf(*s);
    const std::string message = "Candle values must be numbers with Low <= Open, Close <= High";
    EXPECT_EQ(MessageOf<ChartException>([&] { s->AddCandle(30, 5, 4, 6, 5); }), message);
    EXPECT_EQ(MessageOf<ChartException>([&] { s->AddCandle(30, 7, 6, 1, 5); }), message);
    EXPECT_EQ(MessageOf<ChartException>([&] { s->AddCandle(30, 0.5, 6, 1, 5); }), message);
    EXPECT_EQ(MessageOf<ChartException>([&] { s->AddCandle(30, NaN, 6, 1, 5); }), message);
    EXPECT_EQ(MessageOf<ChartException>([&] { s->AddCandle(NaN, 2, 6, 1, 5); }), message);
    EXPECT_EQ(MessageOf<ChartException>([&] { s->AppendPoint(30, NaN); }), message);
    EXPECT_EQ(MessageOf<ChartException>([&] { s->SetCandle(0, 20, 50, 10, 60); }), message);
    EXPECT_EQ(MessageOf<ChartException>([&] { s->SetCandle(1, 40, NaN, 5, 30); }), message);
    EXPECT_EQ(CandlesOf(*s), before);
    EXPECT_EQ(MessageOf<ChartException>([&] { s->SetCandleWidth(-1); }),
              "Candle Width must be >= 0");
    EXPECT_EQ(s->CandleWidth(), 0);

    // A plain point is a flat candle; the value range is the lows' and the highs'.
    s->AppendPoint(30, 70);
    EXPECT_EQ(CandlesOf(*s).back(), Candle(30, 70, 70, 70, 70));
    EXPECT_EQ(s->HighestY(), 70);
    EXPECT_EQ(s->LowestY(), 5);
    s->DeletePoint(0);
    EXPECT_EQ(CandlesOf(*s).front(), Candle(20, 40, 45, 5, 30));
}

TEST_F(CandleTest, MarksStandOverTheHighAndTheLegendShowsACandle) {
    TCandleSeries* s = TwoCandles();
    s->SetCandleWidth(9);
    s->Marks().SetVisible(true);
    s->Marks().SetArrowLength(10);
    LayoutCandles(*s);
    dev.Clear();
    s->DrawMarks();
    // The arrow rises from the high (pixel 250) by the arrow's length.
    std::vector<Call> lines;
    for (const Call& c : dev.Calls())
        if (c.op == "MoveTo" || c.op == "LineTo") lines.push_back(c);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], Call("MoveTo", {180, 250}));
    EXPECT_EQ(lines[1], Call("LineTo", {180, 240}));
    EXPECT_EQ(s->MarkText(0), "40");

    dev.Clear();
    s->DrawLegendSymbol(1, {10, 10, 30, 30});
    EXPECT_EQ(Calls("Rectangle"), (std::vector<Call>{Call("Rectangle", {15, 15, 25, 25})}));
    EXPECT_EQ(Calls("SetBrush").back().args[0], int(clRed));
    EXPECT_EQ(s->LegendSwatchColor(0), clGreen);
}

TEST_F(CandleTest, SampleCandlesAreDailyAndWhole) {
    TCandleSeries* s = Add<TCandleSeries>();
    s->FillSampleValues(s->SampleCount());
    ASSERT_EQ(s->PointCount(), 30);
    EXPECT_TRUE(s->DateValues().DateTime());
    EXPECT_EQ(s->DateValues().LastValue(), std::floor(rtl::Now()));
    for (int i = 0; i < s->PointCount(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_LE(s->LowValues()[i], std::min(s->OpenValues()[i], s->CloseValues()[i]));
        EXPECT_GE(s->HighValues()[i], std::max(s->OpenValues()[i], s->CloseValues()[i]));
        if (i == 0) continue;
        EXPECT_EQ(s->DateValues()[i] - s->DateValues()[i - 1], 1);
        EXPECT_EQ(s->OpenValues()[i], s->CloseValues()[i - 1]);
    }
    // A copy takes the settings.
    s->SetCandleStyle(csCandleBar);
    s->SetUpCloseColor(clBlue);
    TCandleSeries copy;
    copy.Assign(*s);
    EXPECT_EQ(copy.CandleStyle(), csCandleBar);
    EXPECT_EQ(copy.UpCloseColor(), clBlue);
    EXPECT_EQ(copy.DownCloseColor(), clRed);
}

// ---------------------------------------------------------------------------------------------
// Candles from ticks

namespace {

struct CandleFunctionTest : SeriesFixture {
    // 3 December 2026 at hh:mm:ss.zzz.
    static double At(int h, int m, int s, int ms = 0) {
        return rtl::EncodeDate(2026, 12, 3) + rtl::EncodeTime(h, m, s, ms);
    }
    static double Minute(int h, int m) { return At(h, m, 0); }

    TLineSeries* ticks = nullptr;
    TCandleSeries* candles = nullptr;
    TCandleKivFunction* function = nullptr;

    CandleFunctionTest() {
        ticks = Add<TLineSeries>();
        ticks->SetName("Ticks");
        ticks->XValues().SetDateTime(true);
        candles = Add<TCandleSeries>();
        auto made = std::make_unique<TCandleKivFunction>();
        function = made.get();
        candles->AttachFunction(std::move(made));
    }
    // Ticks across the minutes 10:00, 10:01 and 10:03; 10:02 has none, and a value that is
    // not a number joins no candle.
    void AddTicks() {
        ticks->AppendPoint(At(10, 0, 5), 1.10);
        ticks->AppendPoint(At(10, 0, 30), 1.12);
        ticks->AppendPoint(At(10, 0, 59, 999), 1.09);
        ticks->AppendPoint(At(10, 1, 0), 1.11);
        ticks->AppendPoint(At(10, 3, 10), 1.15);
        ticks->AppendPoint(At(10, 3, 20), NaN);
        ticks->AppendPoint(At(10, 3, 40), 1.13);
    }
};

void ExpectCandles(const TCandleSeries& s, const std::vector<Candle>& expected) {
    const std::vector<Candle> got = CandlesOf(s);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(std::get<0>(got[i]), std::get<0>(expected[i]), 1e-9);
        EXPECT_EQ(std::get<1>(got[i]), std::get<1>(expected[i]));
        EXPECT_EQ(std::get<2>(got[i]), std::get<2>(expected[i]));
        EXPECT_EQ(std::get<3>(got[i]), std::get<3>(expected[i]));
        EXPECT_EQ(std::get<4>(got[i]), std::get<4>(expected[i]));
    }
}

} // namespace

TEST_F(CandleFunctionTest, MinutesFollowTheTicksAndARebuildAgrees) {
    const std::vector<Candle> minutes = {{Minute(10, 0), 1.10, 1.12, 1.09, 1.09},
                                         {Minute(10, 1), 1.11, 1.11, 1.11, 1.11},
                                         {Minute(10, 3), 1.15, 1.15, 1.13, 1.13}};
    candles->SetDataSource(ticks);
    EXPECT_EQ(candles->PointCount(), 0);
    AddTicks();
    ExpectCandles(*candles, minutes);
    candles->RecalculateFrom(ticks);
    ExpectCandles(*candles, minutes);

    // Five minutes: one candle; centred in its period on request.
    function->SetPeriod(5.0 / 1440);
    ExpectCandles(*candles, {{Minute(10, 0), 1.10, 1.15, 1.09, 1.13}});
    function->SetPeriodAlign(paCenter);
    ExpectCandles(*candles, {{At(10, 2, 30), 1.10, 1.15, 1.09, 1.13}});
    function->SetPeriodAlign(paFirst);
    function->SetPeriod(1.0 / 1440);

    // A tick that lands before the end rebuilds: 10:00 gains a high, its open stays the first
    // tick's in the source's order.
    ticks->AppendPoint(At(10, 0, 10), 1.20);
    ExpectCandles(*candles, {{Minute(10, 0), 1.10, 1.20, 1.09, 1.09},
                             {Minute(10, 1), 1.11, 1.11, 1.11, 1.11},
                             {Minute(10, 3), 1.15, 1.15, 1.13, 1.13}});
    // A new minute after a clear starts again from the first tick.
    ticks->ClearPoints();
    EXPECT_EQ(candles->PointCount(), 0);
    ticks->AppendPoint(At(10, 4, 1), 1.30);
    ticks->AppendPoint(At(10, 4, 2), 1.25);
    ExpectCandles(*candles, {{Minute(10, 4), 1.30, 1.30, 1.25, 1.25}});

    // Refilled newest first, as the window refills its charts: every tick lands in front.
    ticks->ClearPoints();
    const std::pair<double, double> newestFirst[] = {
        {At(10, 3, 40), 1.13}, {At(10, 3, 20), NaN},       {At(10, 3, 10), 1.15},
        {At(10, 1, 0), 1.11},  {At(10, 0, 59, 999), 1.09}, {At(10, 0, 30), 1.12},
        {At(10, 0, 5), 1.10}};
    for (const auto& [time, value] : newestFirst) ticks->AppendPoint(time, value);
    ExpectCandles(*candles, minutes);
    // Ticks of one time land behind those already there: inside the first candle they change
    // its high, low and close as a rebuild does, whichever tick ends its period.
    ticks->ClearPoints();
    const std::pair<double, double> sameTimes[] = {
        {At(10, 1, 0), 1.11}, {At(10, 1, 0), 1.14},  {At(10, 0, 30), 1.12}, {At(10, 0, 30), 1.08},
        {At(10, 0, 30), NaN}, {At(10, 0, 30), 1.10}, {At(10, 0, 5), 1.09},  {At(10, 0, 5), 1.13}};
    for (const auto& [time, value] : sameTimes) ticks->AppendPoint(time, value);
    const std::vector<Candle> incremental = CandlesOf(*candles);
    candles->RecalculateFrom(ticks);
    ExpectCandles(*candles, incremental);
    EXPECT_EQ(incremental.size(), 2u);

    // Every 2 points in turn, dated by the first.
    ticks->ClearPoints();
    AddTicks();
    function->SetPeriodStyle(psNumPoints);
    function->SetPeriod(2);
    const std::vector<Candle> pairs = {{At(10, 0, 5), 1.10, 1.12, 1.10, 1.12},
                                       {At(10, 0, 59, 999), 1.09, 1.11, 1.09, 1.11},
                                       {At(10, 3, 10), 1.15, 1.15, 1.15, 1.15},
                                       {At(10, 3, 40), 1.13, 1.13, 1.13, 1.13}};
    ExpectCandles(*candles, pairs);
    // A point in front moves every pair: refilled newest first, the same pairs.
    ticks->ClearPoints();
    for (const auto& [time, value] : newestFirst) ticks->AppendPoint(time, value);
    ExpectCandles(*candles, pairs);
}

TEST_F(CandleFunctionTest, TicksOutOfOrderAndBeforeDayZero) {
    // A source not kept in date order: each period still gets the ticks that fall in it.
    ticks->XValues().SetOrder(loNone);
    ticks->AppendPoint(At(10, 1, 30), 2);
    ticks->AppendPoint(At(10, 0, 30), 5);
    ticks->AppendPoint(At(10, 1, 40), 3);
    ticks->AppendPoint(At(10, 0, 40), 4);
    candles->SetDataSource(ticks);
    ExpectCandles(*candles, {{Minute(10, 0), 5, 5, 4, 4}, {Minute(10, 1), 2, 3, 2, 3}});
    // Periods before day 0 start at whole minutes too.
    ticks->ClearPoints();
    ticks->AppendPoint(-0.5 / 1440, 7);
    ticks->AppendPoint(0.5 / 1440, 8);
    ExpectCandles(*candles, {{-1.0 / 1440, 7, 7, 7, 7}, {0, 8, 8, 8, 8}});
}

TEST_F(CandleFunctionTest, BadPeriodsSourcesAndSeriesRaiseAndKeepTheCandles) {
    candles->SetDataSource(ticks);
    AddTicks();
    const std::vector<Candle> before = CandlesOf(*candles);
    for (double period : {0.0, -1.0, NaN}) {
        EXPECT_EQ(MessageOf<ChartException>([&] { function->SetPeriod(period); }),
                  "Candle Period must be > 0");
        EXPECT_EQ(function->Period(), 1.0 / 1440);
    }
    EXPECT_EQ(CandlesOf(*candles), before);

    auto* plain = Add<TLineSeries>();
    plain->SetName("Plain");
    plain->AppendPoint(1, 2);
    EXPECT_EQ(MessageOf<ChartException>([&] { candles->SetDataSource(plain); }),
              "Candles need a DateTime source: Plain");
    EXPECT_EQ(candles->DataSource(), ticks);
    EXPECT_EQ(CandlesOf(*candles), before);

    auto* line = Add<TLineSeries>();
    line->SetDataSource(ticks);
    EXPECT_EQ(MessageOf<ChartException>(
                  [&] { line->AttachFunction(std::make_unique<TCandleKivFunction>()); }),
              "Candles need a Candle series");
    EXPECT_EQ(line->SeriesFunction(), nullptr);
    EXPECT_EQ(line->PointCount(), ticks->PointCount());
}
