// The panel's background: gradient or colour, the back image in its three modes, outside or on
// the back wall.

#include "ChartTestSupport.h"

#include "toolkit/bitmap/Bitmap.h"

#include <gtest/gtest.h>

using namespace kiv;
using raster::Call;

namespace {

struct Background : RecordedChart {
    void SetImage(int width, int height) {
        chart.SetBackImage(std::make_unique<tk::TBitmap>(width, height));
    }
};

} // namespace

TEST_F(Background, GradientOrPanelColour) {
    Draw();
    EXPECT_EQ(dev.CallsOf("FillRect").front(), (Call{"FillRect", {0, 0, 1001, 442}}));
    EXPECT_EQ(dev.CallsOf("SetBrush").front().args[0], int(ColorToRGB(clBtnFace)));

    chart.Gradient().SetEndColor(16777088);
    chart.Gradient().SetVisible(true);
    Draw();
    // bands from the start colour (white) at the top to the end colour at the bottom
    const auto bands = dev.CallsOf("PatBlt");
    ASSERT_GT(bands.size(), 2u);
    EXPECT_EQ(dev.CallsOf("SetBrush").front().args[0], int(clWhite));
    EXPECT_EQ(dev.CountOf("FillRect"), 0);
}

TEST_F(Background, BackImageStretchedTiledOrCentred) {
    SetImage(100, 100);
    Draw();
    EXPECT_EQ(dev.CallsOf("StretchBitmap"),
              (std::vector<Call>{{"StretchBitmap", {0, 0, 1001, 442}}}));

    chart.SetBackImageMode(pbmTile);
    Draw();
    EXPECT_EQ(dev.CountOf("DrawBitmap"), 11 * 5);
    EXPECT_EQ(dev.CallsOf("ClipRect").front(), (Call{"ClipRect", {0, 0, 1001, 442}}));

    chart.SetBackImageMode(pbmCenter);
    Draw();
    EXPECT_EQ(dev.CallsOf("DrawBitmap"),
              (std::vector<Call>{{"DrawBitmap", {(1001 - 100) / 2, (442 - 100) / 2, 100, 100}}}));

    // on the back wall: inside the plot, a pixel off top and bottom for the wall's frame
    chart.SetBackImageMode(pbmStretch);
    chart.SetBackImageInside(true);
    chart.Title().SetVisible(false);
    chart.Foot().SetVisible(false);
    Draw();
    EXPECT_EQ(dev.CallsOf("StretchBitmap"),
              (std::vector<Call>{{"StretchBitmap", {30, 19, 971, 423}}}));

    chart.SetBackImage(nullptr);
    Draw();
    EXPECT_EQ(dev.CountOf("StretchBitmap"), 0);
}

TEST_F(Background, ALegendBoxOfTheLegendsOwnColourIsOutlinedAgain) {
    chart.Legend().SetVisible(true);
    auto* white = new LoggingSeries;
    white->SetParentChart(&chart);
    white->SetSeriesColor(clWhite);
    white->SetTitle("W");
    auto* red = new LoggingSeries;
    red->SetParentChart(&chart);
    red->SetSeriesColor(clRed);
    Draw();
    const TRect r = chart.Legend().LegendRect();
    std::vector<Call> boxes;
    for (const Call& c : dev.CallsOf("Rectangle"))
        if (c.args[0] >= r.left && c.args[2] <= r.right) boxes.push_back(c);
    // inside the legend's frame: the white box twice, the red one once
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0], boxes[1]);
    EXPECT_NE(boxes[1], boxes[2]);
}
