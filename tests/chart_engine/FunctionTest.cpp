#include "EngineTestSupport.h"

#include "chart/KivFunci.h"

#include <cmath>
#include <memory>

using namespace kiv;

namespace {

TChartSeries* SeriesOf(TCustomAxisPanel& chart, std::initializer_list<double> ys) {
    TChartSeries* s = NewSeries(&chart);
    for (double y : ys) s->AppendValue(y);
    return s;
}

std::vector<std::pair<double, double>> Points(const TChartSeries& s) {
    std::vector<std::pair<double, double>> v;
    for (int i = 0; i < s.PointCount(); ++i) v.emplace_back(s.PointX(i), s.PointY(i));
    return v;
}

using Points_t = std::vector<std::pair<double, double>>;

} // namespace

TEST(Functions, AcrossSourcesTakeOnlyTheSourcesThatHaveTheIndex) {
    TestPanel chart;
    TChartSeries* three = SeriesOf(chart, {1, 1, 1});
    TChartSeries* five = SeriesOf(chart, {1, 1, 1, 7, 1});
    TChartSeries* two = SeriesOf(chart, {1, 1});
    const std::vector<TComponent*> sources{three, five, two};
    TAddKivFunction add;
    EXPECT_EQ(add.CalculateAcross(sources, 3), 7);
    EXPECT_EQ(add.CalculateAcross(sources, 6), 0);
    TAverageKivFunction average;
    EXPECT_EQ(average.CalculateAcross(sources, 3), 7);
    EXPECT_EQ(average.CalculateAcross(sources, 1), 1);
    EXPECT_EQ(average.CalculateAcross({}, 0), 0);

    TChartSeries* a = SeriesOf(chart, {20, 5});
    TChartSeries* b = SeriesOf(chart, {3, 0});
    TChartSeries* c = SeriesOf(chart, {2});
    EXPECT_EQ(TSubtractKivFunction().CalculateAcross({a, b, c}, 0), 15);
    EXPECT_EQ(TMultiplyKivFunction().CalculateAcross({a, b, c}, 0), 120);
    EXPECT_EQ(TDivideKivFunction().CalculateAcross({a, b}, 1), 5);      // a zero operand is skipped
    EXPECT_EQ(TSubtractKivFunction().CalculateAcross({c, a, b}, 1), 5); // c lacks index 1

    // high and low compare with the first source of the list, present or not
    TChartSeries* m5 = SeriesOf(chart, {-5});
    TChartSeries* m2 = SeriesOf(chart, {-2});
    TChartSeries* empty = NewSeries(&chart);
    EXPECT_EQ(THighKivFunction().CalculateAcross({m5, m2}, 0), -2);
    EXPECT_EQ(THighKivFunction().CalculateAcross({empty, m5, m2}, 0), 0);
    EXPECT_EQ(TLowKivFunction().CalculateAcross({m2, m5}, 0), -5);
    EXPECT_EQ(TLowKivFunction().CalculateAcross({empty, m5, m2}, 0), -5);
    TChartSeries* p3 = SeriesOf(chart, {3});
    EXPECT_EQ(TLowKivFunction().CalculateAcross({empty, p3}, 0), 0);
}

TEST(Functions, RangesOfOneSource) {
    TestPanel chart;
    TChartSeries* s = SeriesOf(chart, {1, 2, 6, -4});
    EXPECT_EQ(TAverageKivFunction().CalculateRange(*s, 0, 2), 3);
    EXPECT_EQ(TAverageKivFunction().CalculateRange(*s, -1, -1), 5.0 / 4);
    EXPECT_EQ(TAverageKivFunction().CalculateRange(*s, 2, 1), 0);
    EXPECT_EQ(TAverageKivFunction().CalculateRange(*NewSeries(&chart), -1, -1), 0);
    EXPECT_EQ(TAddKivFunction().CalculateRange(*s, 1, 3), 4);
    EXPECT_EQ(THighKivFunction().CalculateRange(*s, 1, 3), 6);
    EXPECT_EQ(TLowKivFunction().CalculateRange(*s, 0, 2), 1);
    EXPECT_EQ(TLowKivFunction().CalculateRange(*s, -1, -1), -4);
    EXPECT_EQ(THighKivFunction().CalculateRange(*s, 3, 2), 0);
    EXPECT_EQ(TSubtractKivFunction().CalculateRange(*s, -1, -1), 0);
    // values are read through the multiplier
    s->YValues().SetMultiplier(10);
    EXPECT_EQ(TAddKivFunction().CalculateRange(*s, 0, 1), 30);
    EXPECT_EQ(TAddKivFunction().CalculateAcross({s}, 2), 60);
}

TEST(Functions, ResultsByPeriodAndForTheWholeSource) {
    TestPanel chart;
    TChartSeries* source = SeriesOf(chart, {1, 3, 5, 7, 9});
    TChartSeries* avg = NewSeries(&chart);
    avg->SetDataSource(source);
    auto owned = std::make_unique<TAverageKivFunction>();
    TAverageKivFunction* f = owned.get();
    avg->AttachFunction(std::move(owned));
    // no period: one result in the middle of the source's span
    EXPECT_EQ(Points(*avg), (Points_t{{2, 5}}));
    f->SetPeriod(2); // the last, incomplete period gives nothing
    EXPECT_EQ(Points(*avg), (Points_t{{0.5, 2}, {2.5, 6}}));
    f->SetPeriodAlign(paLast);
    EXPECT_EQ(Points(*avg), (Points_t{{1, 2}, {3, 6}}));
    f->SetPeriodAlign(paFirst);
    EXPECT_EQ(Points(*avg), (Points_t{{0, 2}, {2, 6}}));
    f->SetPeriod(0.3); // rounds to no point: one point per period
    EXPECT_EQ(avg->PointCount(), 5);

    // periods of X range: empty ones give 0
    TChartSeries* timed = NewSeries(&chart);
    for (double x : {0.0, 0.5, 1.0, 3.0, 3.5}) timed->AppendPoint(x, x * 2);
    TChartSeries* sum = NewSeries(&chart);
    sum->SetDataSource(timed);
    auto add = std::make_unique<TAddKivFunction>();
    add->SetPeriod(1);
    add->SetPeriodStyle(psRange);
    add->SetPeriodAlign(paFirst);
    sum->AttachFunction(std::move(add));
    EXPECT_EQ(Points(*sum), (Points_t{{0, 1}, {1, 2}, {2, 0}, {3, 13}}));

    // with flat results, two points across the span
    struct Flat : TChartSeries {
        Flat() { singlePointResult_ = false; }
    };
    auto* flat = new Flat;
    flat->SetParentChart(&chart);
    flat->SetDataSource(source);
    flat->AttachFunction(std::make_unique<THighKivFunction>());
    EXPECT_EQ(Points(*flat), (Points_t{{0, 9}, {4, 9}}));
}

TEST(Functions, ManySourcesGiveOnePointPerIndexOfTheFirst) {
    TestPanel chart;
    TChartSeries* a = NewSeries(&chart);
    a->AppendPoint(10, 5, "first");
    a->AppendPoint(20, 6);
    TChartSeries* b = SeriesOf(chart, {1, 2, 3});
    TChartSeries* diff = NewSeries(&chart);
    diff->AttachFunction(std::make_unique<TSubtractKivFunction>());
    diff->SetDataSources({a, b});
    EXPECT_EQ(Points(*diff), (Points_t{{10, 4}, {20, 4}}));
    EXPECT_EQ(diff->PointLabel(0), "first");
    // a function series follows refreshes, not single inserts
    a->AppendPoint(30, 10);
    EXPECT_EQ(diff->PointCount(), 2);
    a->RefreshLinked();
    EXPECT_EQ(Points(*diff).back(), (std::pair<double, double>{30, 7}));
}

TEST(Functions, BadPeriodsKeepTheOldPeriodAndResults) {
    TestPanel chart;
    TChartSeries* source = NewSeries(&chart);
    for (int i = 0; i < 4; ++i) source->AppendPoint(i * 1e6, i);
    TChartSeries* sum = NewSeries(&chart);
    sum->SetDataSource(source);
    auto owned = std::make_unique<TAddKivFunction>();
    TAddKivFunction* f = owned.get();
    sum->AttachFunction(std::move(owned));
    f->SetPeriodStyle(psRange);
    f->SetPeriod(2e6);
    const Points_t before = Points(*sum);
    ASSERT_EQ(before.size(), 2u);
    for (double bad : {-1.0, double(NAN), double(INFINITY)})
        EXPECT_EQ(MessageOf<ChartException>([&] { f->SetPeriod(bad); }),
                  "Function Period should be >= 0");
    // a period that would split the source into billions of empty ranges
    EXPECT_EQ(MessageOf<ChartException>([&] { f->SetPeriod(1e-4); }),
              "Function Period too small: more than 10000000 periods in the source");
    EXPECT_EQ(f->Period(), 2e6);
    EXPECT_EQ(Points(*sum), before);

    // changes inside an update recalculate once, at its end
    int rebuilt = 0;
    sum->OnClearValues = [&](TChartSeries*) { ++rebuilt; };
    f->BeginUpdate();
    f->SetPeriod(1e6);
    f->SetPeriodAlign(paLast);
    EXPECT_EQ(rebuilt, 0);
    f->EndUpdate();
    EXPECT_EQ(rebuilt, 1);
    EXPECT_EQ(sum->PointCount(), 4);
}
