#include "../fixtures/GuiApp.h"
#include "chart/Chart.h"
#include "chart/Series.h"
#include "raster/QtRasterDevice.h"
#include "raster/RecordingDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace kiv;
using raster::Call;

namespace {

// A window showing the tools over a chart; its own device records every call.
class ToolsWindow : public raster::IPanelHost {
public:
    ToolsWindow(TChartTools& tools, int width, int height) : device(width, height) {
        tools.SetHost(this);
        tools_ = &tools;
    }
    ~ToolsWindow() override { tools_->SetHost(nullptr); }
    void Paint() {
        device.Clear();
        tools_->Paint(device, {0, 0, device.Width(), device.Height()});
    }
    void Invalidate() override { ++Invalidates; }
    gfx::TSize ClientSize() const override { return {device.Width(), device.Height()}; }
    void SetCursor(gfx::TCursor) override {}
    raster::RasterDevice* WindowDevice() override { return &device; }
    void Present(const gfx::TRect&) override {}
    void PaintNow() override { Paint(); }
    std::unique_ptr<raster::RasterDevice> CreateDevice(int width, int height) override {
        return std::make_unique<raster::QtRasterDevice>(width, height);
    }
    void ReleaseClient() override {}

    raster::RecordingDevice device;
    int Invalidates = 0;

private:
    TChartTools* tools_;
};

struct ChartToolsTest : ::testing::Test {
    TChart chart;
    TChartTools tools{chart};
    std::unique_ptr<ToolsWindow> window;
    TLineSeries* bid = nullptr;
    int seriesDraws = 0;

    ChartToolsTest() {
        testing_support::EnsureGuiApp();
        chart.SetWidth(500);
        chart.SetHeight(300);
        chart.SetView3D(false);
        chart.Legend().SetVisible(false);
        window = std::make_unique<ToolsWindow>(tools, 500, 300);
        bid = Line("Bid", clRed, 10);
    }
    TLineSeries* Line(const char* title, TColor color, double offset) {
        auto* s = new TLineSeries;
        s->SetTitle(title);
        s->SetSeriesColor(color);
        s->SetParentChart(&chart);
        for (int i = 0; i <= 10; ++i) s->AppendPoint(i, offset + i);
        s->BeforeDrawValues = [this](TChartSeries*) { ++seriesDraws; };
        return s;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Call& c : window->device.CallsOf("TextOut")) texts.push_back(c.text);
        return texts;
    }
    bool HasText(const std::string& text) const {
        const auto t = Texts();
        return std::find(t.begin(), t.end(), text) != t.end();
    }
    // The (x, y) and text of the tag whose text is text.
    Call TagOf(const std::string& text) const {
        for (const Call& c : window->device.CallsOf("TextOut"))
            if (c.text == text) return c;
        return {};
    }
};

} // namespace

TEST_F(ChartToolsTest, TheCrosshairFollowsTheMouseOverTheUnchangedPicture) {
    window->Paint();
    const int draws = seriesDraws;
    const TRect r = chart.ChartRect();
    // Off, the tools draw nothing over the chart.
    tools.MouseMove(0, r.left + 10, r.top + 10);
    window->Paint();
    EXPECT_TRUE(Texts().empty());
    const int before = window->Invalidates;
    tools.SetCrosshair(true);
    const int asked = window->Invalidates;
    EXPECT_EQ(asked, before + 1);

    // At the left end: the first point, a time tag kept on the panel, the lines through the
    // mouse; the series are not drawn again.
    tools.MouseMove(0, r.left, r.top + 5);
    EXPECT_EQ(window->Invalidates, asked + 1);
    window->Paint();
    EXPECT_EQ(seriesDraws, draws);
    EXPECT_EQ(window->device.CallsOf("BlockCopy").size(), 1u);
    EXPECT_TRUE(HasText("Bid 10"));
    EXPECT_TRUE(HasText("0"));
    const std::string time = chart.BottomAxis().LabelText(chart.BottomAxis().PixelToValue(r.left));
    EXPECT_GE(TagOf(time).args[0], 3);
    const std::vector<Call> lines = window->device.CallsOf("LineTo");
    EXPECT_NE(std::find(lines.begin(), lines.end(), Call("LineTo", {r.left, r.bottom})),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), Call("LineTo", {r.right, r.top + 5})),
              lines.end());

    // At the right end the last point, whatever the row; the value tag stays on the panel.
    tools.MouseMove(0, r.right - 1, r.bottom - 1);
    window->Paint();
    EXPECT_TRUE(HasText("Bid 20"));
    for (const Call& c : window->device.CallsOf("TextOut")) {
        EXPECT_LT(c.args[1], 300) << c.text;
        EXPECT_LT(c.args[0], 500) << c.text;
    }
    EXPECT_EQ(seriesDraws, draws);
    // A button held for zoom or pan (the pan redraws the chart), or the mouse gone: no
    // crosshair.
    std::vector<TPoint> menus;
    tools.OnContextMenu = [&](int x, int y) { menus.push_back({x, y}); };
    tools.MouseDown(gfx::mbRight, 0, r.left + 50, r.top + 50);
    tools.MouseMove(0, r.left + 60, r.top + 50);
    window->Paint();
    EXPECT_TRUE(Texts().empty());
    tools.MouseUp(gfx::mbRight, 0, r.left + 60, r.top + 50);
    // That right drag panned; a right click that stays within 3 pixels asks for the menu.
    EXPECT_TRUE(menus.empty());
    tools.MouseDown(gfx::mbRight, 0, r.left + 70, r.top + 50);
    tools.MouseMove(0, r.left + 73, r.top + 47);
    tools.MouseUp(gfx::mbRight, 0, r.left + 73, r.top + 47);
    tools.MouseDown(gfx::mbLeft, 0, r.left + 70, r.top + 50);
    tools.MouseUp(gfx::mbLeft, 0, r.left + 70, r.top + 50);
    EXPECT_EQ(menus, (std::vector<TPoint>{{r.left + 73, r.top + 47}}));
    tools.MouseMove(0, r.left + 61, r.top + 50);
    window->Paint();
    EXPECT_FALSE(Texts().empty());
    tools.MouseLeave();
    window->Paint();
    EXPECT_TRUE(Texts().empty());
}

TEST_F(ChartToolsTest, ACrosshairOverAnEmptyChartShowsTagsAndNoBox) {
    bid->ClearPoints();
    tools.SetCrosshair(true);
    window->Paint();
    const TRect r = chart.ChartRect();
    tools.MouseMove(0, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    window->Paint();
    EXPECT_EQ(window->device.CallsOf("Rectangle").size(), 0u);
    EXPECT_EQ(Texts().size(), 2u);
}

TEST_F(ChartToolsTest, LastPriceTagsStayApart) {
    // Rows 1 apart move a tag apart; tags near the bottom move up; the order given is kept.
    EXPECT_EQ(TChartTools::SpreadTags({101, 100, 300}, 14, 0, 400),
              (std::vector<int>{114, 100, 300}));
    EXPECT_EQ(TChartTools::SpreadTags({396, 395}, 14, 0, 400), (std::vector<int>{393, 379}));
    EXPECT_EQ(TChartTools::SpreadTags({2}, 14, 0, 400), (std::vector<int>{7}));

    TLineSeries* ask = Line("Ask", clBlue, 10);
    tools.SetLastPrice(true);
    window->Paint();
    // Both end at 20: two dashed lines on one row, two tags a tag's height apart.
    const Call a = TagOf("20");
    int tags = 0, second = -1;
    for (const Call& c : window->device.CallsOf("TextOut"))
        if (c.text == "20") {
            ++tags;
            if (c.args[1] != a.args[1]) second = c.args[1];
        }
    EXPECT_EQ(tags, 2);
    // Apart by a tag's height: the recording device's 12-pixel text at 8 points, and 2.
    EXPECT_EQ(std::abs(second - a.args[1]), 14);
    const int y = ask->YToScreen(20);
    int linesOnRow = 0;
    for (const Call& c : window->device.CallsOf("LineTo")) linesOnRow += c.args[1] == y;
    EXPECT_EQ(linesOnRow, 2);

    // Candles draw their line in the colour of the newest candle, never in the series' colour.
    auto* candles = new TCandleSeries;
    candles->SetSeriesColor(clYellow);
    candles->SetUpCloseColor(clLime);
    candles->SetDownCloseColor(clPurple);
    candles->SetParentChart(&chart);
    candles->AddCandle(2, 12, 14, 11, 13);
    candles->AddCandle(3, 14, 16, 12, 15);
    auto penColors = [&] {
        std::vector<int> colors;
        for (const Call& c : window->device.CallsOf("SetPen")) colors.push_back(c.args[0]);
        return colors;
    };
    auto has = [](const std::vector<int>& v, TColor c) {
        return std::find(v.begin(), v.end(), int(c)) != v.end();
    };
    window->Paint();
    EXPECT_TRUE(has(penColors(), clLime));
    candles->AddCandle(4, 15, 15, 12, 13);
    window->Paint();
    EXPECT_TRUE(has(penColors(), clPurple));
    EXPECT_FALSE(has(penColors(), clLime));
    EXPECT_FALSE(has(penColors(), clYellow));
}

TEST_F(ChartToolsTest, EventMarkersOnlyInsideTheRangeAndTheirNamesOnHover) {
    window->Paint();
    tools.SetEvents(true);
    tools.SetEventList({{-5, "Before", clRed},
                        {4, "Orders", clRed},
                        {4, "Sentix", clBlue},
                        {15, "After", clRed},
                        {std::nan(""), "Never", clRed}});
    window->Paint();
    const TRect r = chart.ChartRect();
    const int x = chart.BottomAxis().ValueToPixel(4);
    int markers = 0;
    for (const Call& c : window->device.CallsOf("LineTo"))
        markers += c.args[1] == r.bottom && c.args[0] == x;
    EXPECT_EQ(markers, 2);
    EXPECT_EQ(window->device.CallsOf("LineTo").size(), 2u);
    EXPECT_TRUE(Texts().empty());
    tools.MouseMove(0, x + 2, r.top + 20);
    window->Paint();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Orders, Sentix"}));
    tools.MouseMove(0, x + 3, r.top + 20);
    window->Paint();
    EXPECT_TRUE(Texts().empty());
}
