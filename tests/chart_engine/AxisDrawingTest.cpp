// Axis drawing on the recording device: label placement, the labels of a pass, the tick list,
// ticks and grid, and loops that must end whatever the range.
#include "EngineTestSupport.h"

#include "raster/RecordingDevice.h"
#include "rtl/DateTime.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

using namespace kiv;
using raster::Call;

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// One text drawn: where, with which alignment and escapement.
struct Text {
    int x, y;
    unsigned align;
    int escapement;
    std::string text;
    friend bool operator==(const Text&, const Text&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Text& t) {
        return os << "{" << t.x << ", " << t.y << ", " << t.align << ", " << t.escapement << ", \""
                  << t.text << "\"}";
    }
};

// A 2D chart drawing unbuffered into a recording device whose text metrics (6 x 12 px at the
// default 8 points) match the test panel's; the plotting rectangle is (100, 50, 500, 350).
struct DrawFixture {
    DrawFixture() {
        chart.SetView3D(false);
        chart.Canvas().SetBufferedDrawing(false);
        chart.Canvas().BeginDrawing(dev, &chart.View3DOptions(), {0, 0, 600, 400}, false);
        chart.SetChartRect(Plot);
        series = NewSeries(&chart);
    }
    // Fixes the axis' range, places it and draws it.
    void Draw(TCustomChartAxis& axis, double min, double max) {
        axis.SetRange(min, max);
        Draw(axis);
    }
    void Draw(TCustomChartAxis& axis) {
        axis.RefreshRange();
        TRect r = Plot;
        axis.LayOut(r, false);
        axis.PlaceOnChart();
        dev.Clear();
        axis.DrawAxis(true);
    }
    std::vector<Text> Texts() const {
        std::vector<Text> texts;
        unsigned align = 0;
        int escapement = 0;
        for (const Call& c : dev.Calls()) {
            if (c.op == "SetTextAlign") align = unsigned(c.args[0]);
            if (c.op == "SetFont") escapement = c.args[2];
            if (c.op == "TextOut")
                texts.push_back({c.args[0], c.args[1], align, escapement, c.text});
        }
        return texts;
    }
    std::vector<std::string> Labels() const {
        std::vector<std::string> labels;
        for (const Text& t : Texts()) labels.push_back(t.text);
        return labels;
    }
    // Line segments drawn (MoveTo then LineTo), as x0, y0, x1, y1.
    std::vector<std::array<int, 4>> Lines() const {
        std::vector<std::array<int, 4>> lines;
        int x = 0, y = 0;
        for (const Call& c : dev.Calls()) {
            if (c.op == "MoveTo") x = c.args[0], y = c.args[1];
            if (c.op == "LineTo") lines.push_back({x, y, c.args[0], c.args[1]});
        }
        return lines;
    }
    std::vector<int> Ticks(const TCustomChartAxis& axis) const {
        return {axis.TickPositions().begin(), axis.TickPositions().end()};
    }

    static constexpr TRect Plot{100, 50, 500, 350};
    raster::RecordingDevice dev{600, 400};
    TestPanel chart;
    TChartSeries* series;
};

} // namespace

// Each side and angle, with a two-line text: the alignment, the escapement and where each line
// goes (one font height apart, the block centred on the point or hanging off the axis).
TEST(AxisLabelPlacement, EverySideAndAngle) {
    DrawFixture f;
    struct Case {
        TCustomChartAxis* axis;
        int x, y, angle;
        unsigned align;
        TPoint first, second;
    };
    TCustomChartAxis* bottom = &f.chart.BottomAxis();
    TCustomChartAxis* top = &f.chart.TopAxis();
    TCustomChartAxis* left = &f.chart.LeftAxis();
    TCustomChartAxis* right = &f.chart.RightAxis();
    const Case cases[] = {
        {bottom, 200, 360, 0, TA_CENTER, {200, 360}, {200, 372}},
        {bottom, 200, 360, 90, TA_RIGHT, {188, 360}, {200, 360}},
        {bottom, 200, 360, 180, TA_CENTER | TA_BOTTOM, {200, 372}, {200, 360}},
        {bottom, 200, 360, 270, TA_LEFT, {212, 360}, {200, 360}},
        {top, 200, 40, 0, TA_CENTER | TA_BOTTOM, {200, 28}, {200, 40}},
        {top, 200, 40, 90, TA_LEFT, {188, 40}, {200, 40}},
        {top, 200, 40, 180, TA_CENTER, {200, 40}, {200, 28}},
        {top, 200, 40, 270, TA_RIGHT, {212, 40}, {200, 40}},
        {left, 90, 200, 0, TA_RIGHT, {90, 188}, {90, 200}},
        {left, 90, 200, 90, TA_CENTER | TA_BOTTOM, {78, 200}, {90, 200}},
        {left, 90, 200, 180, TA_LEFT, {90, 212}, {90, 200}},
        {left, 90, 200, 270, TA_CENTER, {90, 200}, {78, 200}},
        {right, 510, 200, 0, TA_LEFT, {510, 188}, {510, 200}},
        {right, 510, 200, 90, TA_CENTER, {510, 200}, {522, 200}},
        {right, 510, 200, 180, TA_RIGHT, {510, 212}, {510, 200}},
        {right, 510, 200, 270, TA_CENTER | TA_BOTTOM, {522, 200}, {510, 200}},
        {right, 510, 200, 45, TA_LEFT, {510, 200}, {510, 200}},
    };
    for (const Case& c : cases) {
        f.dev.Clear();
        c.axis->DrawLabelText(c.x, c.y, "ab\rcd", c.angle);
        const int esc = c.angle * 10;
        EXPECT_EQ(f.Texts(), (std::vector<Text>{{c.first.x, c.first.y, c.align, esc, "ab"},
                                                {c.second.x, c.second.y, c.align, esc, "cd"}}))
            << "axis " << c.axis->IsHorizontal() << c.axis->IsOtherSide() << " angle " << c.angle;
        EXPECT_EQ(f.dev.CallsOf("SetTextAlign").back(), Call("SetTextAlign", {0}));
    }
    // one line: centred on the point across the text's run
    f.dev.Clear();
    left->DrawLabelText(90, 200, "ab", 0);
    bottom->DrawLabelText(200, 360, "ab", 90);
    EXPECT_EQ(f.Texts(),
              (std::vector<Text>{{90, 194, TA_RIGHT, 0, "ab"}, {194, 360, TA_RIGHT, 900, "ab"}}));
}

TEST(AxisLabels, RoundFirstLabelDatesAndLogarithmic) {
    DrawFixture f;
    f.series->AppendPoint(0, 0);
    TChartAxis& bottom = f.chart.BottomAxis();
    bottom.SetIncrement(10);
    bottom.SetLabelsSeparation(0);
    f.Draw(bottom, 3.7, 48.2);
    EXPECT_EQ(f.Labels(), (std::vector<std::string>{"40", "30", "20", "10"}));
    // labels hang below the axis line, centred on their value's pixel
    EXPECT_EQ(f.Texts()[0], (Text{426, 356, TA_CENTER, 0, "40"}));
    bottom.SetRoundFirstLabel(false); // from the top of the range, stepping down by 10
    f.Draw(bottom);
    EXPECT_EQ(f.Labels(), (std::vector<std::string>{"48.2", "38.2", "28.2", "18.2", "8.2"}));
    // the ticks stand where labels were drawn
    EXPECT_EQ(f.Ticks(bottom).size(), 5u);
    EXPECT_EQ(f.Ticks(bottom)[0], 500);
    // the steps' rounding may leave the lowest label a hair below the minimum (0.3 - 0.1 is
    // 0.19999999999999998): it is drawn; a label further below is not
    bottom.SetIncrement(0.1);
    f.Draw(bottom, 0.2, 0.3);
    EXPECT_EQ(f.Labels(), (std::vector<std::string>{"0.3", "0.2"}));
    f.Draw(bottom, 0.2 + 1e-9, 0.3);
    EXPECT_EQ(f.Labels(), (std::vector<std::string>{"0.3"}));

    // one month with exact date-times: the first of each month, whatever its length
    f.series->XValues().SetDateTime(true);
    bottom.SetDateTimeFormat("yyyy-mm-dd");
    bottom.SetIncrement(30);
    f.Draw(bottom, rtl::EncodeDate(2024, 1, 15), rtl::EncodeDate(2024, 7, 20) + 0.5);
    EXPECT_EQ(f.Labels(), (std::vector<std::string>{"2024-07-01", "2024-06-01", "2024-05-01",
                                                    "2024-04-01", "2024-03-01", "2024-02-01"}));
    f.series->XValues().SetDateTime(false);

    TChartAxis& left = f.chart.LeftAxis();
    left.SetLogarithmic(true);
    f.Draw(left, 1, 1000);
    EXPECT_EQ(f.Labels(), (std::vector<std::string>{"1", "10", "100", "1,000"}));
    EXPECT_EQ(f.Ticks(left), (std::vector<int>{350, 250, 150, 50}));
}

TEST(AxisLabels, CustomLabelsAndTheTwoThousandTicks) {
    DrawFixture f;
    f.series->AppendPoint(0, 0);
    TChartAxis& bottom = f.chart.BottomAxis();
    std::vector<double> wanted{5, 17, 90};
    f.chart.OnGetNextAxisLabel = [&](TCustomChartAxis*, int index, double& value, bool& stop) {
        stop = index >= int(wanted.size());
        if (!stop) value = wanted[size_t(index)];
    };
    f.Draw(bottom, 0, 100);
    EXPECT_EQ(f.Labels(), (std::vector<std::string>{"5", "17", "90"}));
    EXPECT_EQ(f.Ticks(bottom), (std::vector<int>{120, 168, 460}));
    wanted = {5, 170, 90}; // a value beyond the range ends the labels
    f.Draw(bottom);
    EXPECT_EQ(f.Labels(), (std::vector<std::string>{"5"}));
    wanted.clear(); // stopping at once: the default labels
    f.Draw(bottom);
    EXPECT_EQ(f.Labels().size(), 21u); // 100, 95, ... 0

    // a handler that never stops is asked 2001 times; the tick list keeps the first 2000
    int calls = 0;
    f.chart.OnGetNextAxisLabel = [&](TCustomChartAxis*, int index, double& value, bool& stop) {
        ++calls;
        value = index % 100;
        stop = false;
    };
    f.Draw(bottom);
    EXPECT_EQ(calls, 2001);
    EXPECT_EQ(f.Labels().size(), 2001u);
    ASSERT_EQ(f.Ticks(bottom).size(), size_t(TCustomChartAxis::MaxTicks));
    EXPECT_EQ(f.Ticks(bottom)[1999], bottom.ValueToPixel(99));

    f.chart.OnGetNextAxisLabel = nullptr;
    bottom.SetIncrement(1);
    bottom.SetLabelsSeparation(0);
    f.Draw(bottom, 0, 10000); // 10000 steps or more: no labels at all
    EXPECT_TRUE(f.Labels().empty());
    EXPECT_TRUE(f.Ticks(bottom).empty());
}

TEST(AxisLabels, LoopsEndForEveryRange) {
    DrawFixture f;
    f.series->AppendPoint(0, 0);
    TChartAxis& bottom = f.chart.BottomAxis();
    bottom.SetLabelsSeparation(0);
    // a step that no longer changes the value: 1e20 - 1000 is 1e20
    bottom.SetIncrement(1000);
    f.Draw(bottom, 1e20, 1e20 + 1e6);
    EXPECT_LE(f.Labels().size(), 1u);
    bottom.SetIncrement(0);
    bottom.SetLabelsSeparation(10);
    for (auto [min, max] : {std::pair(0.0, Inf), std::pair(-Inf, Inf), std::pair(NaN, 1.0),
                            std::pair(-1e308, 1e308), std::pair(1e300, 1e300)}) {
        f.Draw(bottom, min, max);
        EXPECT_LE(f.Labels().size(), 1u) << min << " " << max;
    }
    // a logarithmic range that reaches infinity: every power of ten up to 1e308
    TChartAxis& left = f.chart.LeftAxis();
    left.SetLogarithmic(true);
    f.Draw(left, 1, Inf);
    EXPECT_EQ(f.Labels().size(), 309u);

    // an absurd minor tick count costs no more than a tick per pixel
    left.SetLogarithmic(false);
    left.SetMinorTickCount(INT_MAX);
    left.MinorGrid().Show();
    f.Draw(left, 0, 100);
    EXPECT_LT(f.dev.CountOf("LineTo"), 1000);
    bottom.SetMinorTickCount(INT_MAX);
    bottom.SetLogarithmic(true);
    f.Draw(bottom, 1, 1e6);
    EXPECT_LT(f.dev.CountOf("LineTo"), 1000);
}

// Line, ticks, grid, inner ticks and minor ticks of a bottom axis with labels at 0, 50 and 100.
TEST(AxisTicks, OrderAndPixelsOfEveryPart) {
    DrawFixture f;
    f.series->AppendPoint(0, 0);
    TChartAxis& bottom = f.chart.BottomAxis();
    bottom.SetIncrement(50);
    bottom.SetLabelsSeparation(0);
    bottom.SetTickInnerLength(3);
    f.Draw(bottom, 0, 100);
    using L = std::array<int, 4>;
    const std::vector<L> expected{
        {100, 350, 500, 350},                                             // line
        {500, 351, 500, 355}, {300, 351, 300, 355}, {100, 351, 100, 355}, // ticks
        {500, 50, 500, 350},  {300, 50, 300, 350},  {100, 50, 100, 350},  // grid
        {500, 349, 500, 346}, {300, 349, 300, 346}, {100, 349, 100, 346}, // inner ticks
        {350, 351, 350, 353}, {400, 351, 400, 353}, {450, 351, 450, 353}, // minor ticks
        {150, 351, 150, 353}, {200, 351, 200, 353}, {250, 351, 250, 353}};
    EXPECT_EQ(f.Lines(), expected);
    // pens: the axis line 2 px, gray ticks, a dotted gray grid drawn without background
    const auto pens = f.dev.CallsOf("SetPen");
    ASSERT_GE(pens.size(), 3u);
    EXPECT_EQ(pens[0].args[1], 2);
    EXPECT_EQ(pens[1], Call("SetPen", {int(clGray), 1, psSolid, pmCopy}));
    EXPECT_EQ(pens[2], Call("SetPen", {int(clGray), 1, psDot, pmCopy}));
    // (labels under a clear brush are transparent too)
    const auto modes = f.dev.CallsOf("SetBkMode");
    ASSERT_GE(modes.size(), 2u);
    EXPECT_EQ(
        std::vector<Call>(modes.end() - 2, modes.end()),
        (std::vector<Call>{Call("SetBkMode", {cbmTransparent}), Call("SetBkMode", {cbmOpaque})}));

    // centred grid: between the ticks; only ticks where labels are, unless asked for all
    bottom.SetGridCentered(true);
    bottom.SetTickInnerLength(0);
    bottom.MinorTicks().Hide();
    bottom.Axis().Hide();
    bottom.Ticks().Hide();
    bottom.SetLabels(false);
    f.Draw(bottom);
    EXPECT_TRUE(f.Lines().empty());
    bottom.SetTickOnLabelsOnly(false);
    f.Draw(bottom);
    EXPECT_EQ(f.Lines(), (std::vector<L>{{400, 50, 400, 350}, {200, 50, 200, 350}}));
    // the left axis' ticks point left
    TChartAxis& left = f.chart.LeftAxis();
    left.SetIncrement(50);
    left.SetLabelsSeparation(0);
    left.Grid().Hide();
    left.MinorTicks().Hide();
    left.Axis().Hide();
    f.Draw(left, 0, 100);
    EXPECT_EQ(f.Lines(),
              (std::vector<L>{{99, 50, 95, 50}, {99, 200, 95, 200}, {99, 350, 95, 350}}));
}

TEST(AxisLabels, SeriesLabelsSkipOverlapsAndTitlesTakeTheirPlace) {
    DrawFixture f;
    f.series->AppendPoint(0, 10, "a");
    f.series->AppendPoint(1, 20, "bb");
    f.series->AppendPoint(100, 30, "c");
    TChartAxis& bottom = f.chart.BottomAxis();
    std::vector<int> indexes;
    f.chart.OnGetAxisLabel = [&](TCustomChartAxis*, TChartSeries* s, int index, std::string& t) {
        if (s == f.series) indexes.push_back(index);
        t += "!";
    };
    f.Draw(bottom, 0, 100);
    // "bb!" at 104 would reach into "a!" at 100: left out
    EXPECT_EQ(f.Labels(), (std::vector<std::string>{"a!", "c!"}));
    EXPECT_EQ(indexes, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(f.Ticks(bottom), (std::vector<int>{100, 500}));
    bottom.SetLabelsSeparation(0);
    f.Draw(bottom);
    EXPECT_EQ(f.Labels(), (std::vector<std::string>{"a!", "bb!", "c!"}));
    f.chart.OnGetAxisLabel = nullptr;

    // titles: centred on the axis beyond the labels, vertical ones turned
    bottom.SetLabelStyle(talNone);
    bottom.Title().SetCaption("Time");
    f.Draw(bottom); // below the line, the ticks and one line of labels
    EXPECT_EQ(f.Texts(), (std::vector<Text>{{300, 368, TA_CENTER, 0, "Time"}}));
    TChartAxis& left = f.chart.LeftAxis();
    left.SetLabels(false);
    left.Title().SetCaption("Price");
    f.Draw(left, 0, 100);
    EXPECT_EQ(f.Texts(), (std::vector<Text>{{70, 200, TA_CENTER | TA_BOTTOM, 900, "Price"}}));
}
