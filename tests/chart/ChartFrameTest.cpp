// One frame of a chart: the plotting rectangle, the order of its parts, and the room titles and
// legend take, through the recording device (6 x 12 pixel characters at 8 points).

#include "ChartTestSupport.h"

#include <gtest/gtest.h>

using namespace kiv;
using raster::Call;

namespace {

struct ChartFrame : RecordedChart {
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

    // a series on the bottom and left axes: each takes its labels (a font height along the
    // axis) and ticks (axis pen 2 and tick 4) off the plot, the left axis first
    auto* series = new LoggingSeries;
    series->SetParentChart(&chart);
    series->AppendPoint(0, 1);
    series->AppendPoint(10, 2);
    Draw();
    EXPECT_EQ(chart.ChartRect(), (TRect{30 + 12 + 6, 35, 971, 424 - TitleGap - 12 - 6}));
    EXPECT_EQ(chart.LeftAxis().AxisPosition(), 48);
    delete series;

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

TEST_F(ChartFrame, OneRepaintDrawsSeriesInsideTheirClipBetweenTheEvents) {
    std::vector<std::string> log;
    auto* series = new LoggingSeries(&log);
    series->SetParentChart(&chart);
    for (int i = 0; i < 3; ++i) series->AppendPoint(i, i);
    series->SetName("S");
    auto* hidden = new LoggingSeries(&log);
    hidden->SetParentChart(&chart);
    hidden->AppendPoint(-100, 1); // before the bottom axis' range: nothing visible
    chart.BottomAxis().SetRange(0, 2);
    series->BeforeDrawValues = [&](TChartSeries*) {
        log.push_back("before " + std::to_string(dev.Calls().size()));
    };
    series->AfterDrawValues = [&](TChartSeries*) { log.push_back("after"); };
    hidden->BeforeDrawValues = [&](TChartSeries*) { log.push_back("hidden before"); };
    chart.OnBeforeDrawAxes = [&](TComponent*) { log.push_back("axes"); };
    chart.OnBeforeDrawSeries = [&](TComponent*) { log.push_back("series"); };
    chart.OnAfterDraw = [&](TComponent*) { log.push_back("done"); };
    Draw();
    EXPECT_EQ(log, (std::vector<std::string>{
                       "axes", "series", "before " + std::to_string(IndexOf("ClipRect")),
                       "points 0..2", "S point 0", "S point 1", "S point 2", "after", "done"}));
    // 2D: the plot less one pixel at the left, top and bottom; removed after the points
    const TRect& r = chart.ChartRect();
    EXPECT_EQ(dev.CallsOf("ClipRect"),
              (std::vector<Call>{{"ClipRect", {r.left + 1, r.top + 1, r.right, r.bottom - 1}}}));
    EXPECT_EQ(dev.CountOf("RemoveClip"), 1);

    chart.SetClipPoints(false);
    Draw();
    EXPECT_EQ(dev.CountOf("ClipRect"), 0);
}

TEST_F(ChartFrame, SeriesSharingADepthOrderIn3DAreDrawnPointByPoint) {
    std::vector<std::string> log;
    LoggingSeries* a = new LoggingSeries(&log);
    LoggingSeries* b = new LoggingSeries(&log);
    for (LoggingSeries* s : {a, b}) {
        s->SetParentChart(&chart);
        s->SetDepthOrder(0);
    }
    a->SetName("A");
    b->SetName("B");
    for (int i = 0; i < 2; ++i) a->AppendPoint(i, i);
    for (int i = 0; i < 3; ++i) b->AppendPoint(i, i);
    chart.SetView3D(true);
    Draw();
    EXPECT_EQ(log, (std::vector<std::string>{"A point 0", "B point 0", "A point 1", "B point 1",
                                             "B point 2"}));
    // each band is Chart3DPercent (15) per thousand of the plot width: 14 of 909 pixels
    ASSERT_EQ(chart.ChartWidth(), 909);
    EXPECT_EQ(chart.SeriesDepthWidth(), 14);
    EXPECT_EQ(a->StartZ(), 0);
    EXPECT_EQ(a->EndZ(), chart.SeriesDepthWidth());

    // apart, each draws on its own, in its own band
    log.clear();
    b->SetDepthOrder(-1);
    Draw();
    EXPECT_EQ(log, (std::vector<std::string>{"points 0..1", "A point 0", "A point 1", "points 0..2",
                                             "B point 0", "B point 1", "B point 2"}));
    EXPECT_NE(a->StartZ(), b->StartZ());
}

TEST_F(ChartFrame, AFramedTitleFitsItsText) {
    chart.Title().Frame().SetVisible(true);
    chart.Title().Frame().SetColor(clRed);
    chart.Title().SetAlignment(taLeftJustify);
    Draw();
    // the frame counts: one pixel round the text block, as wide as "W" plus the text
    EXPECT_EQ(dev.CallsOf("Rectangle").front(), (Call{"Rectangle", {30, 18, 30 + 6 + 36, 32}}));
    EXPECT_EQ(dev.CallsOf("TextOut").front(), (Call{"TextOut", {31 + 3, 19}, "TChart"}));
    EXPECT_EQ(chart.ChartRect().top, 18 + 1 + 12 + 1 + TitleGap);
}

TEST_F(ChartFrame, NoTextOfAFrameHasABackgroundBox) {
    chart.Legend().SetVisible(true);
    chart.Foot().SetText({"foot"});
    for (int k = 0; k < 2; ++k) {
        auto* series = new LoggingSeries;
        series->SetParentChart(&chart);
        series->AppendPoint(0, 1);
        series->AppendPoint(10, 2 + k);
    }
    Draw();
    // the back wall's clear brush leaves an opaque mode behind; text must not inherit it
    int texts = 0;
    gfx::TCanvasBackMode mode = gfx::cbmOpaque;
    for (const Call& c : dev.Calls()) {
        if (c.op == "SetBkMode") mode = gfx::TCanvasBackMode(c.args[0]);
        if (c.op != "TextOut") continue;
        ++texts;
        EXPECT_EQ(mode, gfx::cbmTransparent) << c;
    }
    EXPECT_GT(texts, 10);
}

namespace {

// A series that asks for room beside its points, as bars do.
class MarginSeries : public LoggingSeries {
public:
    void HorizontalMargins(int& a, int& b) const override {
        a = 10;
        b = 20;
    }
    void VerticalMargins(int& a, int& b) const override {
        a = 5;
        b = 7;
    }
};

} // namespace

TEST_F(ChartFrame, SeriesMarginsApplyOnlyToAutomaticEnds) {
    auto* series = new MarginSeries;
    series->SetParentChart(&chart);
    series->AppendPoint(0, 0);
    series->AppendPoint(100, 100);
    Draw();
    // the value range widens so that the points keep that much room from the ends
    const TRect r = chart.ChartRect();
    TChartAxis& bottom = chart.BottomAxis();
    TChartAxis& left = chart.LeftAxis();
    EXPECT_EQ(bottom.StartPixel(), r.left);
    EXPECT_NEAR(bottom.XValueToPixel(0), r.left + 10, 1);
    EXPECT_NEAR(bottom.XValueToPixel(100), r.right - 20, 1);
    EXPECT_NEAR(left.YValueToPixel(100), r.top + 5, 1); // top: with an automatic maximum
    EXPECT_NEAR(left.YValueToPixel(0), r.bottom - 7, 1);

    // a fixed end keeps its edge
    bottom.SetAutomaticMinimum(false);
    left.SetAutomaticMaximum(false);
    Draw();
    EXPECT_EQ(bottom.XValueToPixel(0), chart.ChartRect().left);
    EXPECT_NEAR(bottom.XValueToPixel(100), chart.ChartRect().right - 20, 1);
    EXPECT_EQ(left.YValueToPixel(100), chart.ChartRect().top);
}

TEST_F(ChartFrame, HatchesOfTheBackgroundsColourTurnBlackOrWhite) {
    TKivCanvas3D& canvas = chart.Canvas();
    canvas.AttachCanvas(&dev);
    chart.SetCanvasBrush(clRed, bsCross, clRed);
    EXPECT_EQ(canvas.Brush().Color(), clBlack);
    EXPECT_EQ(canvas.BackgroundMode(), gfx::cbmOpaque);
    EXPECT_EQ(canvas.BackgroundColor(), clRed);
    chart.SetCanvasBrush(clBlack, bsCross, clBlack);
    EXPECT_EQ(canvas.Brush().Color(), clWhite);
    chart.SetCanvasBrush(clRed, bsSolid, clRed);
    EXPECT_EQ(canvas.Brush().Color(), clRed);
    EXPECT_EQ(canvas.BackgroundMode(), gfx::cbmTransparent);
    canvas.AttachCanvas(nullptr);
}
