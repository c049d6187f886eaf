#include "raster/RecordingDevice.h"

#include <gtest/gtest.h>

using namespace raster;

TEST(RecordingDevice, RecordsCallsWithArguments) {
    RecordingDevice dev;
    dev.SetPen({0x0000FF, 2, PenStyle::Dot, PenMode::NotXor});
    dev.MoveTo(1, 2);
    dev.LineTo(3, 4);
    const Point pts[2] = {{5, 6}, {7, 8}};
    dev.Polygon(pts, 2);
    dev.TextOut(9, 10, "abc");
    ASSERT_EQ(dev.Calls().size(), 5u);
    EXPECT_EQ(dev.Calls()[0], Call("SetPen", {0xFF, 2, 2, 1}));
    EXPECT_EQ(dev.Calls()[2], Call("LineTo", {3, 4}));
    EXPECT_EQ(dev.Calls()[3], Call("Polygon", {5, 6, 7, 8}));
    EXPECT_EQ(dev.Calls()[4], Call("TextOut", {9, 10}, "abc"));
    EXPECT_EQ(dev.CountOf("MoveTo"), 1);
}

TEST(RecordingDevice, FixedTextMetrics) {
    RecordingDevice dev;
    Size s;
    dev.SetFont({"Arial", 8, 0, 0});
    ASSERT_TRUE(dev.TextExtent("abcd", s));
    EXPECT_EQ(s, (Size{24, 12}));
    dev.SetFont({"Arial", 10, 0, 0});
    dev.TextExtent("ab", s);
    EXPECT_EQ(s, (Size{16, 15})); // 7.5 and 15 rounded half away from zero
    dev.SetFailTextExtent(true);
    EXPECT_FALSE(dev.TextExtent("ab", s));
    EXPECT_EQ(s, (Size{0, 0}));
}

TEST(RecordingDevice, CompatibleDeviceIsSeparate) {
    RecordingDevice dev(100, 50, 120);
    auto other = dev.CreateCompatible(10, 20, true);
    EXPECT_EQ(other->Width(), 10);
    EXPECT_EQ(other->Height(), 20);
    EXPECT_TRUE(other->Monochrome());
    EXPECT_EQ(other->PixelsPerInch(), 120);
    other->MoveTo(0, 0);
    EXPECT_TRUE(dev.Calls().empty());
}
