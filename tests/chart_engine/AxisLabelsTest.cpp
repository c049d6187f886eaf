#include "EngineTestSupport.h"

#include "rtl/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kiv;

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Hour = 1.0 / 24;

// A chart whose bottom axis spans `pixels` and shows min..max; with dateTime its series has
// date-time X values, so the axis runs in date-time mode.
struct AxisFixture {
    explicit AxisFixture(double min, double max, int pixels = 300, bool dateTime = false) {
        series = NewSeries(&chart);
        series->XValues().SetDateTime(dateTime);
        series->AppendPoint(min, 0);
        chart.SetChartRect({0, 0, pixels, 100});
        Range(min, max);
    }
    void Range(double min, double max) {
        axis().SetRange(min, max);
        axis().RefreshRange();
        axis().PlaceOnChart();
    }
    TChartAxis& axis() { return chart.BottomAxis(); }
    TestPanel chart;
    TChartSeries* series;
};

double Date(int y, int m, int d) {
    return rtl::EncodeDate(y, m, d);
}

} // namespace

TEST(AxisIncrement, NiceStepsRunOneTwoFive) {
    std::vector<double> steps{1};
    for (int i = 0; i < 6; ++i) steps.push_back(TCustomChartAxis::NextNiceStep(steps.back()));
    EXPECT_EQ(steps, (std::vector<double>{1, 2, 5, 10, 20, 50, 100}));
    EXPECT_EQ(TCustomChartAxis::NextNiceStep(1e-12), 2e-12);
    // a value just below a rung is below it; only a few ulps of float noise count as the rung
    EXPECT_EQ(TCustomChartAxis::NextNiceStep(0.999999999999), 1);
    EXPECT_EQ(TCustomChartAxis::NextNiceStep(1.9999999995), 2);
    EXPECT_EQ(TCustomChartAxis::NextNiceStep(19.999999995), 20);
    EXPECT_EQ(TCustomChartAxis::NextNiceStep(std::nextafter(2.0, 0.0)), 5);
    EXPECT_EQ(TCustomChartAxis::NextNiceStep(std::nextafter(10.0, 0.0)), 20);
    EXPECT_EQ(TCustomChartAxis::NextNiceStep(5e-12), 1e-11);
    EXPECT_EQ(TCustomChartAxis::NextNiceStep(1e300), 2e300);
    EXPECT_EQ(TCustomChartAxis::NextNiceStep(0.02), 0.05);
    EXPECT_EQ(TCustomChartAxis::NextNiceStep(3), 5);
    // no step beyond these: the search must not loop on them
    EXPECT_EQ(TCustomChartAxis::NextNiceStep(0), 0);
    EXPECT_TRUE(std::isnan(TCustomChartAxis::NextNiceStep(NaN)));
    EXPECT_EQ(TCustomChartAxis::NextNiceStep(Inf), Inf);
}

TEST(AxisIncrement, WorkedExamples) {
    // 0..100 on 300 px with 20-px labels and 10 % separation: round(300 / 22) = 14 labels
    AxisFixture f(0, 100);
    f.chart.CharWidth = 5;
    f.axis().SetAxisValuesFormat("0000"); // "0000" and "0100": 20 px
    EXPECT_EQ(f.axis().ComputeIncrement(), 10);

    // below 1: the search starts at 1e-12 and settles on 0.05 for 10 labels
    AxisFixture g(0, 0.5, 330);
    g.chart.CharWidth = 10;
    g.axis().SetAxisValuesFormat("0.0"); // 30 px + 3 px separation
    EXPECT_EQ(g.axis().ComputeIncrement(), 0.05);

    // one day in date-time mode with room for 10 labels: 2 hours would give 12, so 6 hours
    AxisFixture d(45000, 45001, 220, true);
    d.chart.CharWidth = 10;
    d.axis().SetDateTimeFormat("hh");
    EXPECT_TRUE(d.axis().DateTimeMode());
    EXPECT_NEAR(d.axis().ComputeIncrement(), 6 * Hour, 1e-12);
}

TEST(AxisIncrement, FixedIncrementsNoRoomAndSeparationOff) {
    AxisFixture f(0, 100);
    f.axis().SetIncrement(7);
    f.axis().SetLabelsSeparation(0);
    EXPECT_EQ(f.axis().ComputeIncrement(), 7); // used as it is
    f.axis().SetLabelsSeparation(10);
    EXPECT_EQ(f.axis().ComputeIncrement(), 7); // 15 labels of 20 px fit: 7 is kept
    f.chart.SetChartRect({0, 0, 100, 100});
    f.axis().PlaceOnChart();
    EXPECT_EQ(f.axis().ComputeIncrement(), 20); // 5 labels: grown from 7 by the 1-2-5 rule
    f.axis().SetIncrement(0);
    f.chart.SetChartRect({0, 0, 2, 100});
    f.axis().PlaceOnChart();
    EXPECT_EQ(f.axis().ComputeIncrement(), 1e-12); // not even one label fits
    AxisFixture d(45000, 45001, 2, true);
    EXPECT_DOUBLE_EQ(d.axis().ComputeIncrement(), DateTimeSteps[dtOneSecond]);
    // from a year on the step doubles beyond the table: ten years with room for 4 labels
    AxisFixture y(40000, 40000 + 3650, 100, true);
    y.axis().SetDateTimeFormat("yyyy");
    EXPECT_EQ(y.axis().ComputeIncrement(), 365 * 4);
}

TEST(AxisIncrement, NonFiniteRangesEndTheSearch) {
    for (bool dateTime : {false, true}) {
        AxisFixture f(0, 1, 300, dateTime);
        for (auto [min, max] : {std::pair(0.0, Inf), std::pair(-Inf, Inf), std::pair(NaN, 1.0),
                                std::pair(-1e308, 1e308)}) {
            f.Range(min, max);
            const double inc = f.axis().ComputeIncrement();
            EXPECT_TRUE(std::isfinite(inc) || min == -1e308) << min << " " << max;
            EXPECT_GT(inc, 0);
        }
    }
}

TEST(AxisLabelText, NumbersDatesEventsAndLines) {
    AxisFixture f(0, 100);
    EXPECT_EQ(f.axis().LabelText(1234.5678), "1,234.568");
    EXPECT_EQ(f.axis().LabelText(Inf), "INF");
    f.axis().SetAxisValuesFormat("#,##0.####");
    EXPECT_EQ(f.axis().LabelText(1.23456), "1.2346");
    f.axis().SetAxisValuesFormat("0 EUR");
    f.axis().SetLabelsMultiLine(true);
    EXPECT_EQ(f.axis().LabelText(5), "5\rEUR");
    f.chart.OnGetAxisLabel = [](TCustomChartAxis*, TChartSeries* s, int index, std::string& t) {
        EXPECT_EQ(s, nullptr);
        EXPECT_EQ(index, -1);
        t = "<" + t + ">";
    };
    EXPECT_EQ(f.axis().LabelText(5), "<5\rEUR>");

    const double when = Date(2024, 3, 7) + 13.5 * Hour;
    AxisFixture d(when, when + 2, 300, true);
    d.axis().SetDateTimeFormat("yy.mm.dd hh:mm:ss");
    EXPECT_EQ(d.axis().LabelText(when), "24.03.07 13:30:00");
    d.axis().SetDateTimeFormat("");
    EXPECT_EQ(d.axis().LabelText(when), "2024-03-07"); // more than a day: short date
    d.Range(when, when + 2 * Hour);
    EXPECT_EQ(d.axis().LabelText(when), "13:30"); // within a day: short time
    EXPECT_EQ(d.axis().LabelText(-1), "");
    EXPECT_EQ(d.axis().LabelText(NaN), "");
    EXPECT_EQ(d.axis().LabelText(1e9), ""); // beyond the calendar
}

TEST(AxisDateSteps, MonthEndsLeapYearsAndYearEnds) {
    AxisFixture f(Date(2024, 1, 1), Date(2025, 1, 1), 300, true);
    const TCustomChartAxis& a = f.axis();
    auto up = [&](double v, TDateTimeStep s) {
        return a.StepDateTime(true, v, s, DateTimeSteps[s]);
    };
    auto down = [&](double v, TDateTimeStep s) {
        return a.StepDateTime(false, v, s, DateTimeSteps[s]);
    };
    EXPECT_EQ(up(Date(2024, 1, 31) + 0.75, dtOneMonth), Date(2024, 2, 1)); // time dropped
    EXPECT_EQ(up(Date(2024, 12, 15), dtOneMonth), Date(2025, 1, 1));
    EXPECT_EQ(up(Date(2024, 11, 3), dtThreeMonths), Date(2025, 2, 1));
    EXPECT_EQ(down(Date(2024, 1, 1), dtOneMonth), Date(2023, 12, 1));
    EXPECT_EQ(down(Date(2024, 3, 20), dtSixMonths), Date(2023, 9, 1));
    EXPECT_EQ(down(Date(2024, 7, 9), dtSixMonths), Date(2024, 1, 1));
    EXPECT_EQ(up(Date(2024, 2, 29), dtOneYear), Date(2025, 2, 28)); // no 29 February in 2025
    EXPECT_EQ(down(Date(2024, 2, 29), dtOneYear), Date(2023, 2, 28));
    EXPECT_EQ(up(Date(2023, 6, 10), dtOneYear), Date(2024, 6, 10));
    // half months: downwards 20 -> 15 -> 1 -> previous month's 15
    EXPECT_EQ(down(Date(2024, 3, 20), dtHalfMonth), Date(2024, 3, 15));
    EXPECT_EQ(down(Date(2024, 3, 15), dtHalfMonth), Date(2024, 3, 1));
    EXPECT_EQ(down(Date(2024, 1, 1), dtHalfMonth), Date(2023, 12, 15));
    // and upwards they never move back
    EXPECT_EQ(up(Date(2024, 3, 10), dtHalfMonth), Date(2024, 3, 15));
    EXPECT_EQ(up(Date(2024, 12, 15), dtHalfMonth), Date(2025, 1, 1));
    // steps below the month table, or without exact stepping, simply add
    EXPECT_EQ(up(Date(2024, 1, 31), dtOneWeek), Date(2024, 2, 7));
    f.axis().SetExactDateTime(false);
    EXPECT_EQ(up(Date(2024, 1, 31), dtOneMonth), Date(2024, 3, 1));
    // and at the calendar's end or on a NaN they still move
    f.axis().SetExactDateTime(true);
    const double last = Date(9999, 12, 20);
    EXPECT_GT(up(last, dtOneMonth), last);
    EXPECT_TRUE(std::isnan(down(NaN, dtOneMonth)));
}

TEST(AxisDateSteps, RoundingToTheStepAndTableLookup) {
    const double v = Date(2024, 8, 20) + 0.3;
    EXPECT_EQ(TCustomChartAxis::RoundDateToStep(dtHalfMonth, v), Date(2024, 8, 15));
    EXPECT_EQ(TCustomChartAxis::RoundDateToStep(dtHalfMonth, Date(2024, 8, 14)), Date(2024, 8, 1));
    EXPECT_EQ(TCustomChartAxis::RoundDateToStep(dtFourMonths, v), Date(2024, 8, 1));
    EXPECT_EQ(TCustomChartAxis::RoundDateToStep(dtOneYear, v), Date(2024, 1, 1));
    EXPECT_EQ(TCustomChartAxis::RoundDateToStep(dtOneDay, v), Date(2024, 8, 20));
    EXPECT_EQ(TCustomChartAxis::RoundDateToStep(dtOneYear, 2.0), 2.0); // 1 January 1900
    EXPECT_EQ(TCustomChartAxis::RoundDateToStep(dtOneYear, -5.5), -5.5);
    EXPECT_TRUE(std::isnan(TCustomChartAxis::RoundDateToStep(dtOneYear, NaN)));
    EXPECT_EQ(TCustomChartAxis::FindDateTimeStep(6 * Hour), dtSixHours);
    EXPECT_EQ(TCustomChartAxis::FindDateTimeStep(365), dtOneYear);
    EXPECT_EQ(TCustomChartAxis::FindDateTimeStep(0.3), dtNone);
}
