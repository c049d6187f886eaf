// One frame of a chart: the plotting rectangle, the order of its parts, and the room titles and
// legend take, through the recording device (6 x 12 pixel characters at 8 points).

#include "ChartTestSupport.h"

#include <gtest/gtest.h>

using namespace kiv;
using raster::Call;

namespace {

struct ChartFrame : ::testing::Test {
    TChart chart;
    raster::RecordingDevice dev{1001, 442};

    ChartFrame() {
        SetUpTickChart(chart);
        chart.SetBufferedDisplay(false);
        chart.SetWidth(1001);
        chart.SetHeight(442);
    }
    void Draw(TRect rect = {0, 0, 1001, 442}) {
        dev.Clear();
        chart.DrawToCanvas(dev, rect);
    }
    int IndexOf(const std::string& op, const std::string& text = {}) const {
        const auto& calls = dev.Calls();
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i].op == op && (text.empty() || calls[i].text == text)) return int(i);
        return -1;
    }
};

} // namespace

TEST_F(ChartFrame, MarginsGiveTheWorkedExampleAndTitlesTakeTheirRoom) {
    chart.Title().SetVisible(false);
    chart.Foot().SetVisible(false);
    Draw();
    EXPECT_EQ(chart.ChartRect(), (TRect{30, 18, 971, 424}));
    // the back wall covers the plotting rectangle and its right and bottom edge
    EXPECT_EQ(dev.CallsOf("Rectangle").back(), (Call{"Rectangle", {30, 18, 972, 425}}));

    // a one-line title: font height plus the gap; the foot, even without text, the gap
    chart.Title().SetVisible(true);
    chart.Foot().SetVisible(true);
    Draw();
    EXPECT_EQ(chart.ChartRect(), (TRect{30, 18 + 12 + TitleGap, 971, 424 - TitleGap}));
    // centred: (30 + 971) div 2 - 36 div 2
    EXPECT_EQ(dev.CallsOf("TextOut"), (std::vector<Call>{{"TextOut", {482, 18}, "TChart"}}));

    // two foot lines, the last one lowest
    chart.Foot().SetText({"one", "two"});
    Draw();
    const auto texts = dev.CallsOf("TextOut");
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1], (Call{"TextOut", {491, 424 - 24}, "one"}));
    EXPECT_EQ(texts[2], (Call{"TextOut", {491, 424 - 12}, "two"}));
    EXPECT_EQ(chart.ChartRect().bottom, 424 - 24 - TitleGap);
}

TEST_F(ChartFrame, EmptyChartDrawsBackgroundBorderTitleAndWallInThatOrder) {
    Draw();
    const int fill = IndexOf("FillRect");
    const int bevel = IndexOf("Polyline");
    const int title = IndexOf("TextOut", "TChart");
    const int wall = IndexOf("Rectangle");
    EXPECT_EQ(dev.Calls()[fill], (Call{"FillRect", {0, 0, 1001, 442}}));
    EXPECT_LT(fill, bevel);
    EXPECT_LT(bevel, title);
    EXPECT_LT(title, wall);
    // raised bevel: highlight top-left, shadow bottom-right
    const auto bevels = dev.CallsOf("Polyline");
    ASSERT_EQ(bevels.size(), 2u);
    EXPECT_EQ(bevels[0].args, (std::vector<int>{0, 441, 0, 0, 1000, 0}));
    EXPECT_EQ(bevels[1].args, (std::vector<int>{1000, 0, 1000, 441, -1, 441}));
}

TEST_F(ChartFrame, CollapsedRectanglesStillDraw) {
    chart.SetMarginLeft(100);
    chart.SetMarginRight(100);
    chart.SetMarginTop(100);
    chart.SetMarginBottom(100);
    chart.Title().SetText({std::string(400, 'W')});
    EXPECT_NO_THROW(Draw());
    EXPECT_GE(chart.ChartRect().Width(), 1);
    EXPECT_GE(chart.ChartRect().Height(), 1);

    chart.SetWidth(1);
    chart.SetHeight(1);
    EXPECT_NO_THROW(Draw({0, 0, 1, 1}));
    EXPECT_GE(chart.ChartRect().Width(), 1);
    EXPECT_GE(chart.ChartRect().Height(), 1);
}
