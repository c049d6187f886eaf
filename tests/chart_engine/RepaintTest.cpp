#include "EngineTestSupport.h"

#include <gtest/gtest.h>

using namespace kiv;

TEST(Repaint, PublishedSettersRepaintOnlyOnAChange) {
    TestPanel chart;
    TChartSeries* s = NewSeries(&chart);
    TChartAxis& axis = chart.LeftAxis();
    struct Case {
        const char* name;
        std::function<void()> set;
    };
    const Case cases[] = {
        {"Title", [&] { s->SetTitle("prices"); }},
        {"Active", [&] { s->SetActive(false); }},
        {"SeriesColor", [&] { s->SetSeriesColor(clNavy); }},
        {"ValueFormat", [&] { s->SetValueFormat("0.0"); }},
        {"HorizAxis", [&] { s->SetHorizAxis(aTopAxis); }},
        {"Cursor", [&] { s->SetCursor(5); }},
        {"Marks.Style", [&] { s->Marks().SetStyle(smsValue); }},
        {"DateTime", [&] { s->XValues().SetDateTime(true); }},
        {"Multiplier", [&] { s->YValues().SetMultiplier(2); }},
        {"Order", [&] { s->YValues().SetOrder(loDescending); }},
        {"AxisValuesFormat", [&] { axis.SetAxisValuesFormat("#,##0.####"); }},
        {"LabelsAngle", [&] { axis.SetLabelsAngle(90); }},
        {"LabelStyle", [&] { axis.SetLabelStyle(talValue); }},
        {"Increment", [&] { axis.SetIncrement(0.5); }},
        {"Inverted", [&] { axis.SetInverted(true); }},
        {"Title.Caption", [&] { axis.Title().SetCaption("Price"); }},
        {"Grid pen", [&] { axis.Grid().SetColor(clRed); }},
        {"LabelsFont", [&] { axis.LabelsFont().SetSize(10); }},
        {"MarginLeft", [&] { chart.SetMarginLeft(5); }},
        {"AxisVisible", [&] { chart.SetAxisVisible(false); }},
        {"MaxPointsPerPage", [&] { chart.SetMaxPointsPerPage(3); }},
        {"SetRange", [&] { axis.SetRange(1, 2); }},
        {"Automatic", [&] { axis.SetAutomatic(true); }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(chart.RequestsAfter(c.set), 1) << c.name << " changed";
        EXPECT_EQ(chart.RequestsAfter(c.set), 0) << c.name << " unchanged";
    }
}

TEST(Repaint, DataChangesAndFailedChecks) {
    TestPanel chart;
    TChartSeries* s = NewSeries(&chart);
    EXPECT_EQ(chart.RequestsAfter([&] { s->AppendPoint(1, 1); }), 1);
    EXPECT_EQ(chart.RequestsAfter([&] { s->SetPointColor(0, clRed); }), 1);
    EXPECT_EQ(chart.RequestsAfter([&] { s->YValues().SetValueAt(0, 5); }), 0);
    EXPECT_EQ(chart.RequestsAfter([&] { s->DeletePoint(0); }), 1);
    EXPECT_EQ(chart.RequestsAfter(
                  [&] { EXPECT_THROW(chart.LeftAxis().SetIncrement(-1), AxisException); }),
              0);
    // many changes before the window paints ask only once
    EXPECT_EQ(chart.RequestsAfter([&] {
        for (int i = 0; i < 499; ++i) s->AppendPoint(i, i);
        chart.BottomAxis().SetInverted(true);
    }),
              1);
    EXPECT_TRUE(chart.RepaintPending());
    chart.SetAutoRepaint(false);
    EXPECT_EQ(chart.RequestsAfter([&] { s->ClearPoints(); }), 0);
}
