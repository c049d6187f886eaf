// Marks on the recording device: boxes, frames, arrows and texts, and the positions remembered
// for them.
#include "EngineTestSupport.h"

#include "raster/RecordingDevice.h"

#include <gtest/gtest.h>

using namespace kiv;
using raster::Call;

namespace {

// Moves the box and the arrow's end up by the arrow length, as line-like series do.
class LineLikeSeries : public TChartSeries {
public:
    void DrawPointMark(int index, const std::string& text, TSeriesMarkPosition& position) override {
        position.ArrowEnd.y -= Marks().ArrowLength();
        position.BoxTopLeft.y -= Marks().ArrowLength();
        TChartSeries::DrawPointMark(index, text, position);
    }
};

// A white 2D chart over (100, 50, 500, 350) showing 0..100 on both axes: the point (50, 50)
// is at (300, 200). Text is 6 px a character and 12 px a line.
struct MarksFixture {
    MarksFixture() {
        chart.SetView3D(false);
        chart.SetColor(clWhite);
        chart.Canvas().SetBufferedDrawing(false);
        chart.Canvas().BeginDrawing(dev, &chart.View3DOptions(), {0, 0, 600, 400}, false);
        chart.SetChartRect({100, 50, 500, 350});
        for (TCustomChartAxis* a : {&chart.BottomAxis(), &chart.LeftAxis()}) {
            a->SetRange(0, 100);
            a->RefreshRange();
            a->PlaceOnChart();
        }
        series = new LineLikeSeries;
        series->SetParentChart(&chart);
        series->SetSeriesColor(clRed);
        series->Marks().SetVisible(true);
    }
    void Draw() {
        series->UpdateVisibleRange();
        dev.Clear();
        chart.Canvas().AttachCanvas(&dev); // every pen and brush is sent again
        series->DrawMarks();
    }
    std::vector<Call> Drawn(std::initializer_list<const char*> ops) const {
        std::vector<Call> calls;
        for (const Call& c : dev.Calls())
            for (const char* op : ops)
                if (c.op == op) calls.push_back(c);
        return calls;
    }
    TSeriesMarkPosition& Remembered(int index) {
        return *series->Marks().Positions().Position(index);
    }

    raster::RecordingDevice dev{600, 400};
    TestPanel chart;
    TChartSeries* series;
};

} // namespace

// "ab" over "cd": 2 + 1 characters wide ("W" pads the text) and two lines high, plus the
// 1-px frame on each side; the box stands 8 px (the arrow) above the point.
TEST(Marks, TwoLineBoxFrameArrowAndText) {
    MarksFixture f;
    f.series->AppendPoint(50, 50, "ab\rcd");
    f.Draw();
    EXPECT_EQ(f.Drawn({"MoveTo", "LineTo", "Rectangle", "TextOut", "SetTextAlign"}),
              (std::vector<Call>{Call("MoveTo", {300, 200}), Call("LineTo", {300, 192}),
                                 Call("Rectangle", {290, 167, 310, 193}),
                                 Call("SetTextAlign", {int(TA_CENTER)}),
                                 Call("TextOut", {300, 168}, "ab"),
                                 Call("TextOut", {300, 180}, "cd"), Call("SetTextAlign", {0})}));
    EXPECT_EQ(f.dev.CallsOf("SetBrush")[0], Call("SetBrush", {0x80FFFF, bsSolid, 0}));
    const TSeriesMarkPosition& p = f.Remembered(0);
    EXPECT_EQ(p.BoxWidth, 20);
    EXPECT_EQ(p.BoxHeight, 26);
    EXPECT_EQ(p.ArrowStart, (TPoint{300, 200}));
    EXPECT_EQ(p.ArrowEnd, (TPoint{300, 192}));
    EXPECT_EQ(p.BoxTopLeft, (TPoint{290, 167}));

    // transparent without a frame: no box at all, the text starts at the box's top
    f.series->Marks().SetTransparent(true);
    f.series->Marks().Frame().Hide();
    f.Draw();
    EXPECT_EQ(f.dev.CountOf("Rectangle"), 0);
    EXPECT_EQ(f.dev.CountOf("LineTo"), 1);
    EXPECT_EQ(f.dev.CallsOf("TextOut")[0], Call("TextOut", {300, 169}, "ab"));
    // after a separator only the next 255 characters of the rest are kept
    f.series->SetPointLabel(0, "a\r" + std::string(300, 'b') + "\rc");
    f.Draw();
    EXPECT_EQ(f.Drawn({"TextOut"}),
              (std::vector<Call>{Call("TextOut", {300, 157}, "a"),
                                 Call("TextOut", {300, 169}, std::string(255, 'b'))}));
}

TEST(Marks, ArrowContrastWithThePointAndTheChart) {
    MarksFixture f;
    f.series->AppendPoint(50, 50);
    auto arrowColor = [&] {
        f.Draw();
        return TColor(f.dev.CallsOf("SetPen").front().args[0]);
    };
    EXPECT_EQ(arrowColor(), clBlack);          // white, the chart's colour
    f.series->Marks().Arrow().SetColor(clRed); // the point's colour
    EXPECT_EQ(arrowColor(), clBlack);
    f.chart.SetColor(clBlack);
    EXPECT_EQ(arrowColor(), clWhite);
    f.series->Marks().Arrow().SetColor(clBlue); // shows on its own
    EXPECT_EQ(arrowColor(), clBlue);
    MarkArrowContrast = false;
    f.series->Marks().Arrow().SetColor(clRed);
    EXPECT_EQ(arrowColor(), clRed);
    MarkArrowContrast = true;
}

TEST(Marks, PositionsCustomDeletedClearedAndPointsWithoutMarks) {
    MarksFixture f;
    f.series->AppendPoint(20, 50);
    f.series->AppendPoint(50, 50);
    f.series->AppendNullPoint(60, 50);
    f.series->AppendPoint(80, 50);
    f.series->OnGetMarkText = [](TChartSeries*, int index, std::string& text) {
        if (index == 3) text.clear();
    };
    f.Draw(); // a null point and an empty text have no mark
    EXPECT_EQ(f.dev.CountOf("Rectangle"), 2);
    ASSERT_EQ(f.series->Marks().Positions().Count(), 2);
    // placed by hand: box and arrow stay where they were put
    TSeriesMarkPosition& moved = f.Remembered(1);
    moved.IsCustom = true;
    moved.BoxTopLeft = {10, 20};
    moved.ArrowEnd = {30, 40};
    f.Draw();
    EXPECT_EQ(f.dev.CallsOf("Rectangle")[1], Call("Rectangle", {10, 20, 30, 34}));
    EXPECT_EQ(f.dev.CallsOf("LineTo")[1], Call("LineTo", {30, 40}));
    EXPECT_EQ(f.Remembered(0).BoxTopLeft.x, 180 - 10); // computed ones follow their points

    // a deleted point's entry goes and later ones move down; clearing forgets them all
    f.series->DeletePoint(0);
    EXPECT_TRUE(f.Remembered(0).IsCustom);
    f.series->ClearPoints();
    EXPECT_EQ(f.series->Marks().Positions().Count(), 0);
    f.series->AppendPoint(50, 50);
    f.series->Marks().SetVisible(false); // hidden marks draw and remember nothing
    f.Draw();
    EXPECT_TRUE(f.dev.Calls().empty());
    EXPECT_EQ(f.series->Marks().Positions().Count(), 0);
}

// The legend's value text of the chart shows in marks of style smsLegend.
TEST(Marks, LegendStyleAsksTheChart) {
    struct LegendPanel : TestPanel {
        std::string LegendValueText(const TChartSeries*, int index) const override {
            return "item " + std::to_string(index);
        }
    } chart;
    TChartSeries* s = NewSeries(&chart);
    s->AppendPoint(1, 2);
    s->Marks().SetStyle(smsLegend);
    EXPECT_EQ(s->MarkText(0), "item 0");
}
