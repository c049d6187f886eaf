#include "chart/KivCanvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace kiv;

TEST(ChartPen, NotifiesOnlyOnChangeAndAssignKeepsTheHandler) {
    int changes = 0;
    TChartPen pen([&] { ++changes; });
    pen.SetVisible(true);
    pen.SetSmallDots(false);
    pen.SetColor(clBlack);
    EXPECT_EQ(changes, 0);
    pen.SetVisible(false);
    pen.SetSmallDots(true);
    pen.SetWidth(3);
    EXPECT_EQ(changes, 3);
    TChartHiddenPen preset([&] { ++changes; });
    EXPECT_FALSE(preset.Visible());
    EXPECT_EQ(changes, 3); // presets set their defaults quietly

    TChartPen source;
    source.SetColor(clRed);
    source.SetWidth(4);
    source.SetMode(pmNotXor);
    pen.Assign(source); // one notification for the whole copy
    EXPECT_TRUE(pen.Visible());
    EXPECT_FALSE(pen.SmallDots());
    EXPECT_EQ(pen.Mode(), pmNotXor);
    EXPECT_EQ(changes, 4);
    pen.SetColor(clBlue);
    EXPECT_EQ(changes, 5);
}

TEST(FontObject, HeightFollowsSizeAndPixelsPerInch) {
    TFont font;
    font.SetSize(8);
    EXPECT_EQ(font.Height(), -11);
    font.SetHeight(-16);
    EXPECT_EQ(font.Size(), 12);
    font.SetPixelsPerInch(0); // ignored: would divide by zero
    EXPECT_EQ(font.PixelsPerInch(), 96);
}

TEST(View3DOptions, NotificationsAndCopy) {
    std::vector<std::string> events;
    TView3DOptions options([&] { events.push_back("repaint"); });
    options.OnScrolled = [&](bool horizontal) { events.push_back(horizontal ? "h" : "v"); };
    options.OnZoomChanged = [&](int zoom) {
        events.push_back("zoom " + std::to_string(zoom) + " was " + std::to_string(options.Zoom()));
    };
    options.SetHorizOffset(5);
    options.SetVertOffset(6);
    options.SetZoom(150);
    options.SetZoom(150);
    options.SetTilt(0);
    EXPECT_EQ(events, (std::vector<std::string>{"repaint", "h", "repaint", "v", "zoom 150 was 100",
                                                "repaint"}));
    TView3DOptions copy;
    copy.Assign(options);
    EXPECT_EQ(copy.Zoom(), 150);
    EXPECT_EQ(copy.HorizOffset(), 5);
}

TEST(Rounding, HalvesToEvenAndMulDivHalvesAwayFromZero) {
    EXPECT_EQ(RoundPixel(0.5), 0);
    EXPECT_EQ(RoundPixel(1.5), 2);
    EXPECT_EQ(RoundPixel(2.5), 2);
    EXPECT_EQ(RoundPixel(-2.5), -2);
    EXPECT_EQ(RoundPixel(1e300), std::numeric_limits<int>::max());
    EXPECT_EQ(RoundPixel(std::nan("")), 0);
    EXPECT_EQ(MulDiv(1, 1, 2), 1);
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(3, 5, 2), 8);
    EXPECT_EQ(MulDiv(2000000000, 2000000000, 2000000000), 2000000000);
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
    EXPECT_EQ(MulDiv(2000000000, 4, 1), -1); // overflow
}

TEST(Colours, DarkenStopsAtZeroPerChannel) {
    EXPECT_EQ(DarkenColor(RGB(200, 100, 50), 64), RGB(136, 36, 0));
    EXPECT_EQ(DarkenColor(RGB(64, 65, 63), 64), RGB(0, 1, 0));
    EXPECT_EQ(DarkenColor(clBtnFace, 64), RGB(128, 128, 128));
}
