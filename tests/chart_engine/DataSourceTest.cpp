#include "EngineTestSupport.h"

#include "rtl/DateTime.h"

#include <cmath>

using namespace kiv;

namespace {

// A series that counts what its sources tell it.
class Probe : public TChartSeries {
public:
    void SourcePointAdded(TChartSeries* source, int index) override {
        ++inserted;
        TChartSeries::SourcePointAdded(source, index);
    }
    void RecalculateFrom(TChartSeries* source) override {
        ++recalculated;
        TChartSeries::RecalculateFrom(source);
    }
    int inserted = 0, recalculated = 0;
};

Probe* NewProbe(TCustomAxisPanel& chart, const char* name) {
    auto* s = new Probe;
    s->SetName(name);
    s->SetParentChart(&chart);
    return s;
}

std::vector<double> Xs(const TChartSeries& s) {
    std::vector<double> v;
    for (int i = 0; i < s.PointCount(); ++i) v.push_back(s.PointX(i));
    return v;
}

} // namespace

TEST(DataSource, ChecksRaiseTheirMessagesAndKeepTheOldSources) {
    TChartSeries lone;
    TChartSeries other;
    EXPECT_EQ(MessageOf<ChartException>([&] { lone.SetDataSource(&other); }),
              "No ParentChart to validate DataSource");
    EXPECT_EQ(lone.DataSource(), nullptr);

    TestPanel chart;
    Probe* a = NewProbe(chart, "SeriesA");
    Probe* b = NewProbe(chart, "SeriesB");
    Probe* c = NewProbe(chart, "SeriesC");
    EXPECT_EQ(MessageOf<ChartException>([&] { a->SetDataSource(a); }),
              "No valid DataSource: SeriesA");
    TComponent notASeries;
    notASeries.SetName("Table1");
    EXPECT_EQ(MessageOf<ChartException>([&] { a->SetDataSource(&notASeries); }),
              "No valid DataSource: Table1");

    b->SetDataSource(a);
    EXPECT_EQ(MessageOf<ChartException>([&] { a->SetDataSource(b); }),
              "Circular Series dependences are not allowed");
    // a cycle through a source other than the first is refused as well
    Probe* d = NewProbe(chart, "SeriesD");
    c->SetDataSources({d, b});
    EXPECT_EQ(MessageOf<ChartException>([&] {
                  b->SetDataSources({a, c});
              }),
              "Circular Series dependences are not allowed");
    EXPECT_EQ(MessageOf<ChartException>([&] { a->SetDataSource(c); }),
              "Circular Series dependences are not allowed");
    EXPECT_EQ(b->DataSources(), (std::vector<TComponent*>{a}));
    EXPECT_EQ(c->DataSources(), (std::vector<TComponent*>{d, b}));
    EXPECT_EQ(b->LinkedSeries(), (std::vector<TChartSeries*>{c}));
}

TEST(DataSource, DependentsCopyInOrderWithColoursAndLabels) {
    TestPanel chart;
    Probe* source = NewProbe(chart, "S");
    source->AppendPoint(3, 30, "c", clRed);
    source->AppendPoint(1, 10);
    Probe* copy = NewProbe(chart, "Copy");
    copy->SetDataSource(source);
    EXPECT_EQ(Xs(*copy), (std::vector<double>{1, 3}));
    source->AppendPoint(2, 20, "b", clBlue);
    ASSERT_EQ(copy->PointCount(), 3);
    EXPECT_EQ(copy->PointY(1), 20);
    EXPECT_EQ(copy->PointLabel(1), "b");
    EXPECT_EQ(copy->PointColor(1), clBlue);
    EXPECT_EQ(copy->PointLabel(2), "c");
    EXPECT_EQ(copy->PointColor(2), clRed);
    EXPECT_EQ(copy->PointColor(0), copy->SeriesColor());

    // a series whose values run along X takes the source's Y as its X
    struct Horizontal : TChartSeries {
        TChartValueList& PrimaryValues() const override { return XValues(); }
    };
    auto* h = new Horizontal;
    h->SetParentChart(&chart);
    h->SetDataSource(source);
    EXPECT_EQ(Xs(*h), (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(h->PointY(0), 1);

    // a replaced source is left; nothing empties the series as a whole
    Probe* next = NewProbe(chart, "Next");
    next->AppendPoint(7, 7);
    copy->SetDataSource(next);
    EXPECT_EQ(Xs(*copy), (std::vector<double>{7}));
    EXPECT_EQ(source->LinkedSeries(), (std::vector<TChartSeries*>{h}));
    copy->SetDataSource(nullptr);
    EXPECT_EQ(copy->PointCount(), 0);
    EXPECT_TRUE(next->LinkedSeries().empty());
    copy->AppendPoint(1, 1);
    copy->SetDataSource(nullptr); // unchanged: the series keeps its own points
    EXPECT_EQ(copy->PointCount(), 1);
}

TEST(DataSource, ChainOfThreeFollowsAppendsDeletesAndClears) {
    TestPanel chart;
    Probe* a = NewProbe(chart, "A");
    Probe* b = NewProbe(chart, "B");
    Probe* c = NewProbe(chart, "C");
    Probe* keeper = NewProbe(chart, "Keeper");
    a->AppendPoint(1, 1);
    b->SetDataSource(a);
    c->SetDataSource(b);
    keeper->SetDataSource(b);
    keeper->SetLinkUpdateFlags(UpdateOnModify); // only rebuilds reach it
    for (double x : {5.0, 3.0, 4.0}) a->AppendPoint(x, x * 10);
    EXPECT_EQ(Xs(*c), (std::vector<double>{1, 3, 4, 5}));
    EXPECT_EQ(keeper->PointCount(), 1);
    a->DeletePoint(1);
    EXPECT_EQ(Xs(*b), (std::vector<double>{1, 4, 5}));
    EXPECT_EQ(Xs(*c), (std::vector<double>{1, 4, 5}));
    a->YValues().SetValueAt(0, 99); // a changed value recalculates the dependents
    EXPECT_EQ(c->PointY(0), 99);
    a->YValues().SetMultiplier(2); // a refresh rebuilds the whole chain
    EXPECT_EQ(c->PointY(2), 100);
    a->ClearPoints();
    EXPECT_EQ(b->PointCount(), 0);
    EXPECT_EQ(c->PointCount(), 0);
    EXPECT_EQ(keeper->PointCount(), 3); // it keeps what the last rebuild gave it
    delete b;                           // the ends of the chain forget it
    EXPECT_TRUE(c->DataSources().empty());
    EXPECT_TRUE(a->LinkedSeries().empty());
}

TEST(DataSource, AnOutsideSourceIsForgottenWhenItGoes) {
    // A chart that takes outside sources as well as series.
    struct OpenPanel : TestPanel {
        bool IsValidDataSource(TChartSeries* s, TComponent* c) const override { return c != s; }
    };
    OpenPanel chart;
    Probe* s = NewProbe(chart, "S");
    s->AppendPoint(1, 1);
    {
        TComponent table;
        s->SetDataSource(&table);
        EXPECT_EQ(s->DataSource(), &table);
        EXPECT_EQ(s->PointCount(), 1); // an outside source is not read here
    }
    EXPECT_EQ(s->DataSource(), nullptr);
    EXPECT_EQ(s->PointCount(), 0);
}

TEST(DataSource, NamesReadFromAStreamAreResolvedWhenLoadingEnds) {
    TestPanel chart;
    Probe* a = NewProbe(chart, "A");
    Probe* b = NewProbe(chart, "B");
    Probe* sum = NewProbe(chart, "Sum");
    a->AppendPoint(0, 1);
    b->AppendPoint(0, 2);
    sum->BeginLoading();
    sum->PendingSources() = {"A", "Missing", "B", "Sum"};
    sum->EndLoading();
    EXPECT_EQ(sum->DataSources(), (std::vector<TComponent*>{a, b}));
    EXPECT_TRUE(sum->PendingSources().empty());
    EXPECT_EQ(sum->PointCount(), 1);
}

TEST(SampleValues, WithoutAChartAndBadCounts) {
    TChartSeries s;
    s.FillSampleValues(1);
    ASSERT_EQ(s.PointCount(), 1);
    EXPECT_EQ(s.PointX(0), 0);
    EXPECT_GE(s.PointY(0), 0);
    EXPECT_LT(s.PointY(0), 1000 + 1000 / 4 / 2); // one random step from the start value

    TChartSeries dated;
    dated.XValues().SetDateTime(true);
    dated.FillSampleValues(3);
    const double today = std::floor(rtl::Now());
    EXPECT_EQ(dated.PointX(0), today);
    EXPECT_EQ(dated.PointX(2), today + 2);

    EXPECT_EQ(MessageOf<ChartException>([&] { s.FillSampleValues(0); }),
              "FillSampleValues NumValues must be > 0");
    EXPECT_EQ(s.PointCount(), 1);
}

TEST(SampleValues, FitTheChartAndNotifyOnce) {
    TestPanel chart;
    Probe* other = NewProbe(chart, "Other");
    other->AppendPoint(10, 100);
    other->AppendPoint(20, 300);
    Probe* s = NewProbe(chart, "S");
    Probe* dependent = NewProbe(chart, "D");
    dependent->SetDataSource(s);
    dependent->recalculated = 0;
    int added = 0;
    s->OnAfterAdd = [&](TChartSeries*, int) { ++added; };
    EXPECT_EQ(chart.RequestsAfter([&] { s->FillSampleValues(11); }), 1);
    EXPECT_EQ(added, 11);
    EXPECT_EQ(dependent->recalculated, 1);
    EXPECT_EQ(dependent->inserted, 11); // all within the one rebuild
    EXPECT_EQ(dependent->PointCount(), 11);
    EXPECT_TRUE(chart.AutoRepaint());
    EXPECT_EQ(s->PointX(0), 10);
    EXPECT_EQ(s->PointX(10), 20);
    for (int i = 0; i < 11; ++i) EXPECT_GE(s->PointY(i), 0);

    // every value of the others not a number: the plain bounds
    other->ClearPoints();
    other->AppendPoint(NAN, NAN);
    s->FillSampleValues(2);
    EXPECT_EQ(s->PointX(1), 1);
}
