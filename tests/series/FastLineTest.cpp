#include "SeriesTestSupport.h"

#include "chart/Chart.h"
#include "raster/QtRasterDevice.h"

#include <QImage>

#include <random>

using namespace kiv;
using raster::Call;

namespace {

struct FastLineDrawing : SeriesFixture {
    TFastLineSeries* FastLine(std::initializer_list<std::pair<double, double>> points) {
        auto* s = Add<TFastLineSeries>(clRed);
        for (auto [x, y] : points) s->AppendPoint(x, y);
        return s;
    }
    // The line calls in order, with their arguments.
    std::vector<Call> Lines() const {
        std::vector<Call> out;
        for (const Call& c : dev.Calls())
            if (c.op == "MoveTo" || c.op == "LineTo") out.push_back(c);
        return out;
    }
};

} // namespace

TEST_F(FastLineDrawing, PointsOnTheLastPixelDrawNothing) {
    // The first three points land on (100, 250); the last two on (180, 210).
    TFastLineSeries* s = FastLine({{0, 50}, {0.01, 50.1}, {0.02, 49.9}, {10, 60}, {10.01, 60}});
    // The series colour and the line pen's colour go together.
    TChartPen blue;
    blue.SetColor(clBlue);
    blue.SetWidth(2);
    s->SetLinePen(blue);
    EXPECT_EQ(s->SeriesColor(), clBlue);
    Layout();
    Draw(*s);
    EXPECT_EQ(Lines(), (std::vector<Call>{Call("MoveTo", {100, 250}), Call("LineTo", {180, 210})}));
    EXPECT_EQ(dev.CurrentPen().color, clBlue);
    EXPECT_EQ(dev.CurrentPen().width, 2);
    EXPECT_EQ(chart.Canvas().Brush().Style(), bsClear);
    s->SetSeriesColor(clGreen);
    EXPECT_EQ(s->LinePen().Color(), clGreen);
}

TEST_F(FastLineDrawing, AColumnDrawsItsExtremesAndEndButTheLastColumnEveryPoint) {
    // Four points in the column at x 140, four in the last column at x 180.
    TFastLineSeries* s = FastLine({{0, 50},
                                   {5, 50},
                                   {5.01, 60},
                                   {5.02, 45},
                                   {5.03, 55},
                                   {10, 60},
                                   {10.01, 55},
                                   {10.02, 58},
                                   {10.03, 52}});
    Layout();
    Draw(*s);
    EXPECT_EQ(Lines(), (std::vector<Call>{Call("MoveTo", {100, 250}), Call("LineTo", {140, 250}),
                                          Call("LineTo", {140, 210}), Call("LineTo", {140, 270}),
                                          Call("LineTo", {140, 230}), Call("LineTo", {180, 210}),
                                          Call("LineTo", {180, 230}), Call("LineTo", {180, 218}),
                                          Call("LineTo", {180, 242})}));
}

TEST_F(FastLineDrawing, APassStartingAfterTheFirstPointComesInFromThePointBefore) {
    TFastLineSeries* s = FastLine({{0, 0}, {10, 10}, {20, 20}, {30, 30}, {40, 40}, {50, 50}});
    Layout(45, 145); // the sixth point (index 5) is the first visible
    Draw(*s);
    EXPECT_EQ(s->FirstVisible(), 5);
    // From point 4 (left of the plot, at x 100 - 5 * 8) to point 5.
    EXPECT_EQ(Lines(), (std::vector<Call>{Call("MoveTo", {60, 290}), Call("LineTo", {140, 250})}));
}

TEST_F(FastLineDrawing, ClicksOnPointsAndOnSegments) {
    TFastLineSeries* s = FastLine({{0, 50}, {10, 50}, {20, 60}, {30, 60}, {40, 70}});
    Layout();
    Draw(*s);
    // The points lie at (100, 250), (180, 250), (260, 210), (340, 210) and (420, 170).
    EXPECT_EQ(s->HitTest(180, 250), 1);
    EXPECT_EQ(s->HitTest(300, 210), 2);
    EXPECT_EQ(s->HitTest(380, 190), 3);
    EXPECT_EQ(s->HitTest(380, 192), -1);
    EXPECT_EQ(s->HitTest(430, 165), -1); // beyond the last point
}

TEST_F(FastLineDrawing, WithoutAutoRepaintANewPointIsDrawnAtOnceAndNobodyHearsOfIt) {
    TFastLineSeries* s = FastLine({{0, 50}, {10, 60}});
    TChartSeries* copy = Add<TChartSeries>();
    copy->SetDataSource(s);
    int added = 0;
    s->OnAfterAdd = [&](TChartSeries*, int) { ++added; };
    Layout();
    Draw(*s);
    s->SetAutoRepaint(false);
    dev.Clear();
    chart.PaintServed();
    s->AppendPoint(20, 40);
    EXPECT_EQ(Lines(), (std::vector<Call>{Call("MoveTo", {180, 210}), Call("LineTo", {260, 290})}));
    EXPECT_EQ(added, 0);
    EXPECT_EQ(copy->PointCount(), 2);
    EXPECT_FALSE(chart.RepaintPending());
    // the next full pass draws it like the others
    Draw(*s);
    EXPECT_EQ(Lines().back(), Call("LineTo", {260, 290}));
    s->SetAutoRepaint(true);
    s->AppendPoint(30, 40);
    EXPECT_EQ(added, 1);
    EXPECT_EQ(copy->PointCount(), 3); // the point added unheard stays unknown to it
}

TEST_F(FastLineDrawing, LegendSymbolIsALineAcrossTheBox) {
    TFastLineSeries* s = FastLine({{0, 50}});
    Layout();
    dev.Clear();
    s->DrawLegendSymbol(-1, {10, 20, 30, 31});
    EXPECT_EQ(Lines(), (std::vector<Call>{Call("MoveTo", {10, 25}), Call("LineTo", {30, 25})}));
    EXPECT_EQ(dev.CurrentPen().color, clRed);
    EXPECT_EQ(dev.CurrentPen().width, 1);
    // A printing chart thins a one-pixel dotted pen to the finest line, as it does for lines.
    s->LinePen().SetStyle(psDot);
    chart.SetPrinting(true);
    s->DrawLegendSymbol(-1, {10, 20, 30, 31});
    EXPECT_EQ(chart.Canvas().Pen().Width(), 0);
}

namespace {

// A window that shows a chart from a recording device.
class RecordingWindow : public raster::IPanelHost {
public:
    explicit RecordingWindow(TCustomKivPanel& panel) : panel_(panel) { panel.SetHost(this); }
    ~RecordingWindow() override { panel_.SetHost(nullptr); }
    void Paint() { panel_.Paint(device, {0, 0, device.Width(), device.Height()}); }
    void Invalidate() override { ++invalidates; }
    gfx::TSize ClientSize() const override { return {device.Width(), device.Height()}; }
    void SetCursor(gfx::TCursor) override {}
    raster::RasterDevice* WindowDevice() override { return &device; }
    void Present(const gfx::TRect& rect) override { presented.push_back(rect); }
    void PaintNow() override { Paint(); }
    std::unique_ptr<raster::RasterDevice> CreateDevice(int w, int h) override {
        return std::make_unique<raster::RecordingDevice>(w, h);
    }
    void ReleaseClient() override {}

    raster::RecordingDevice device{400, 250};
    int invalidates = 0;
    std::vector<gfx::TRect> presented;

private:
    TCustomKivPanel& panel_;
};

} // namespace

TEST(FastLineOnAWindow, AnUnheardPointGoesIntoTheFrameBufferAndIsShownAtOnce) {
    TChart chart;
    chart.SetView3D(false);
    chart.Legend().SetVisible(false);
    RecordingWindow window(chart);
    auto* s = new TFastLineSeries;
    s->SetParentChart(&chart);
    for (int i = 0; i <= 10; ++i) s->AppendPoint(i, i % 3);
    chart.BottomAxis().SetRange(0, 20);
    window.Paint();
    s->SetAutoRepaint(false);
    auto* buffer = dynamic_cast<raster::RecordingDevice*>(chart.Canvas().Buffer());
    ASSERT_NE(buffer, nullptr);
    buffer->Clear();
    window.device.Clear();
    const int invalidates = window.invalidates;

    s->AppendPoint(11, 2);
    EXPECT_EQ(buffer->CountOf("LineTo"), 1);
    // drawn inside the plot's clip, which goes again after it
    const gfx::TRect plot = chart.ChartRect();
    std::vector<std::string> ops;
    for (const Call& c : buffer->Calls())
        if (c.op != "SetPen" && c.op != "SetBrush") ops.push_back(c.op);
    EXPECT_EQ(ops, (std::vector<std::string>{"ClipRect", "MoveTo", "LineTo", "RemoveClip"}));
    EXPECT_EQ(buffer->CallsOf("ClipRect"),
              std::vector<Call>{
                  Call("ClipRect", {plot.left + 1, plot.top + 1, plot.right, plot.bottom - 1})});
    EXPECT_EQ(window.device.CountOf("BlockCopy"), 1);
    ASSERT_EQ(window.presented.size(), 1u);
    const gfx::TRect& r = window.presented[0];
    for (int i : {10, 11}) {
        EXPECT_GE(s->PointScreenX(i), r.left);
        EXPECT_LT(s->PointScreenX(i), r.right);
        EXPECT_GE(s->PointScreenY(i), r.top);
        EXPECT_LT(s->PointScreenY(i), r.bottom);
    }
    EXPECT_EQ(window.invalidates, invalidates);
    EXPECT_EQ(chart.Canvas().Target(), &window.device);
}

namespace {

// A kind derived from the fast line draws point by point.
class PointByPointLine : public TFastLineSeries {};

QImage FastLineFrame(TFastLineSeries* line, int width) {
    testing_support::EnsureGuiApp();
    TChart chart;
    chart.SetView3D(false);
    chart.SetBufferedDisplay(false);
    chart.Legend().SetVisible(false);
    line->LinePen().SetWidth(width);
    line->SetParentChart(&chart);
    // A random walk of many points a column, with runs that turn back within a column.
    std::mt19937 random(42);
    std::uniform_real_distribution<double> step(-0.5, 0.5);
    double y = 0;
    for (int i = 0; i < 40000; ++i) line->AppendPoint(i, y += step(random));
    line->AppendPoint(40000, y + 30); // a steep last step out of the last column
    raster::QtRasterDevice device(500, 300);
    chart.DrawToCanvas(device, {0, 0, 500, 300});
    return device.Image().copy();
}

} // namespace

TEST(FastLineOnPixels, ColumnsOfManyPointsSetThePixelsOfEverySegment) {
    for (int width : {1, 2, 3}) {
        SCOPED_TRACE(width);
        const QImage merged = FastLineFrame(new TFastLineSeries, width);
        const QImage each = FastLineFrame(new PointByPointLine, width);
        // Every pixel of the point by point line is set; beyond them the toolkit's rasterizer
        // may add a pixel where a line turns back on itself within a column.
        int missing = 0, extra = 0, line = 0;
        for (int y = 0; y < each.height(); ++y)
            for (int x = 0; x < each.width(); ++x) {
                const bool red = each.pixel(x, y) == qRgb(255, 0, 0);
                line += red;
                missing += red && merged.pixel(x, y) != each.pixel(x, y);
                extra += !red && merged.pixel(x, y) != each.pixel(x, y);
            }
        EXPECT_GT(line, 2000);
        EXPECT_EQ(missing, 0);
        EXPECT_LE(extra, 4);
    }
}
