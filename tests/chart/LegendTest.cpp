// The legend: styles and texts, rows and columns, its room, drawing and the click test.

#include "ChartTestSupport.h"

#include <gtest/gtest.h>

using namespace kiv;
using raster::Call;

namespace {

struct Legend : RecordedChart {
    Legend() {
        chart.Legend().SetVisible(true);
        chart.SetAxisVisible(false);
    }
    TChartSeries* Add(const std::string& title) {
        auto* s = new LoggingSeries;
        s->SetTitle(title);
        s->SetParentChart(&chart);
        return s;
    }
    std::vector<Call> TextsExcept(const std::string& skipped) const {
        std::vector<Call> texts;
        for (const Call& c : dev.CallsOf("TextOut"))
            if (c.text != skipped) texts.push_back(c);
        return texts;
    }
};

} // namespace

TEST_F(Legend, StylesAndTexts) {
    TChartLegend& legend = chart.Legend();
    TChartSeries* first = Add("");
    first->AppendPoint(1, 2.5, "one");
    first->AppendPoint(2, 3, "two\rlines");
    // one active series: its points, value then label
    EXPECT_EQ(legend.EffectiveStyle(), lsValues);
    EXPECT_EQ(legend.ItemCount(), 2);
    EXPECT_EQ(legend.LegendText(0), "2.5 one");
    EXPECT_EQ(legend.LegendText(1), "3 two lines");
    legend.SetFirstValue(1);
    EXPECT_EQ(legend.ItemCount(), 1);
    legend.SetFirstValue(0);

    // two: the series, by title, else name, else number
    TChartSeries* second = Add("Ask");
    EXPECT_EQ(legend.EffectiveStyle(), lsSeries);
    EXPECT_EQ(legend.LegendText(0), "Series 0");
    first->SetName("Series1");
    EXPECT_EQ(legend.LegendText(0), "Series1");
    EXPECT_EQ(legend.LegendText(1), "Ask");
    second->SetShowInLegend(false);
    EXPECT_EQ(legend.ItemCount(), 1);

    legend.SetLegendStyle(lsLastValues);
    EXPECT_EQ(legend.LegendText(0), "3 two lines");
    EXPECT_EQ(legend.LegendText(1), ""); // a series without points
    chart.OnGetLegendText = [](TCustomChart*, TLegendStyle style, int index, std::string& text) {
        if (style == lsLastValues && index == 1) text = "none yet";
    };
    EXPECT_EQ(legend.LegendText(1), "none yet");
}

TEST_F(Legend, SettersCheckTheirRangeAndKeepTheOldValue) {
    TChartLegend& legend = chart.Legend();
    auto message = [](const std::function<void()>& set) {
        try {
            set();
        } catch (const LegendException& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { legend.SetColorWidth(101); }),
              "Legend Color Width must be between 0 and 100 %");
    EXPECT_EQ(message([&] { legend.SetColorWidth(-1); }),
              "Legend Color Width must be between 0 and 100 %");
    EXPECT_EQ(message([&] { legend.SetTopPos(101); }),
              "Top Legend Position must be between 0 and 100 %");
    EXPECT_EQ(message([&] { legend.SetFirstValue(-1); }), "First Legend Value must be > 0");
    EXPECT_EQ(legend.ColorWidth(), 12);
    EXPECT_EQ(legend.TopPos(), 10);
    EXPECT_EQ(legend.FirstValue(), 0);
    legend.SetFirstValue(0);
    legend.SetColorWidth(100);
    EXPECT_EQ(legend.ColorWidth(), 100);
}

TEST_F(Legend, ASideLegendTakesItsColumnOffTheRight) {
    TChartSeries* a = Add("A");
    Add("B");
    Add("C");
    a->SetSeriesColor(clRed);
    Draw();
    const TChartLegend& legend = chart.Legend();
    // text 6 wide; box MulDiv(16, 12, 100) = 2; frame 1 and shadow 3 off the right
    EXPECT_EQ(legend.LegendRect(), (TRect{948, 44, 966, 44 + 3 * 12 + 2}));
    EXPECT_EQ(legend.Rows(), 3);
    // the plot ends at the legend, less 3 percent of what is left
    EXPECT_EQ(chart.ChartRect().right, 920);
    EXPECT_EQ(TextsExcept("TChart"), (std::vector<Call>{{"TextOut", {958, 45}, "A"},
                                                        {"TextOut", {958, 57}, "B"},
                                                        {"TextOut", {958, 69}, "C"}}));
    // the first colour box, in the series colour: (x - 4 - 2, y + 2) to (x - 4, y + h - 2)
    const auto boxes = dev.CallsOf("Rectangle");
    EXPECT_NE(std::find(boxes.begin(), boxes.end(), Call{"Rectangle", {952, 47, 954, 55}}),
              boxes.end());
    // shadow first, then the framed legend grown by the frame
    EXPECT_EQ(dev.CallsOf("FillRect").back(), (Call{"FillRect", {951, 47, 970, 44 + 38 + 4}}));

    EXPECT_EQ(legend.LegendItemAt(950, 45), 0);
    EXPECT_EQ(legend.LegendItemAt(950, 70), 2);
    EXPECT_EQ(legend.LegendItemAt(940, 70), -1);
    int clicked = 0;
    chart.OnClickLegend = [&](TCustomChart*, TMouseButton, TShiftState, int, int) { ++clicked; };
    chart.MouseDown(mbLeft, 0, 950, 60);
    EXPECT_EQ(clicked, 1);
    EXPECT_FALSE(chart.Zoom.Active);
}

TEST_F(Legend, ATopLegendFillsRowsUpToMaxNumRows) {
    for (int i = 0; i < 25; ++i) Add(std::string(63, char('a' + i % 26)));
    chart.Legend().SetAlignment(laTop);
    Draw();
    const TChartLegend& legend = chart.Legend();
    // item 63 * 6 + 4 = 382 wide, box 46: (941 - 2 - 8) div 436 = 2 columns
    EXPECT_EQ(legend.Columns(), 2);
    EXPECT_EQ(legend.Rows(), 10);
    const auto texts = TextsExcept("TChart");
    ASSERT_EQ(texts.size(), 20u);
    const int top = 18 + 12 + TitleGap + 2;
    EXPECT_EQ(legend.LegendRect().top, top);
    EXPECT_EQ(legend.LegendRect().bottom, top + 10 * 12 + 2);
    EXPECT_EQ(texts[1].args[1], top + 1);
    EXPECT_EQ(texts[1].args[0] - texts[0].args[0], 382 + 46 + 4);
    EXPECT_EQ(texts[19].args[1], top + 1 + 9 * 12);
    // below it the shadow, then 4 percent of the rest
    const int plotTop = legend.LegendRect().bottom + 3;
    EXPECT_EQ(chart.ChartRect().top, plotTop + MulDiv(4, 424 - TitleGap - plotTop, 100));

    // columns split the width in two; rows are a font height each
    const TRect& r = legend.LegendRect();
    const int half = (r.right - r.left) / 2;
    EXPECT_EQ(legend.LegendItemAt(r.left + 2, top + 2), 0);
    EXPECT_EQ(legend.LegendItemAt(r.left + half + 2, top + 14), 3);
    EXPECT_EQ(legend.LegendItemAt(r.left + 2, r.bottom - 1), -1); // below the last row

    chart.Legend().SetInverted(true);
    Draw();
    EXPECT_EQ(TextsExcept("TChart")[0].text, std::string(63, 't')); // item 19 first
}

TEST_F(Legend, NoActiveSeriesNoLegendAndAHiddenLegendTakesNoRoom) {
    Draw();
    EXPECT_FALSE(chart.Legend().Drawn());
    Add("A");
    chart.Legend().SetVisible(false);
    Draw();
    EXPECT_EQ(chart.ChartRect().right, 971);
    EXPECT_EQ(chart.Legend().LegendItemAt(950, 45), -1);
}
