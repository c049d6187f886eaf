// Snapshots: a chart drawn into a bitmap of its size, on a device that keeps pixels.

#include "ChartTestSupport.h"

#include "toolkit/bitmap/Bitmap.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kiv;

TEST(Snapshot, SavesTheControlSizeAsBmpAndLeavesBufferedDrawingOn) {
    TChart chart;
    SetUpTickChart(chart);
    chart.SetColor(15327722);
    TestWindow window(chart, 300, 120);
    window.Paint();
    ASSERT_TRUE(chart.BufferedDisplay());

    const std::string file =
        (std::filesystem::temp_directory_path() / "test_chart_snapshot.bmp").string();
    chart.SaveSnapshotToFile(file);
    EXPECT_TRUE(chart.BufferedDisplay());
    tk::TBitmap bmp;
    bmp.LoadFromFile(file);
    std::filesystem::remove(file);
    ASSERT_EQ(bmp.Width(), 300);
    ASSERT_EQ(bmp.Height(), 120);
    EXPECT_EQ(bmp.Pixel(0, 0), clWhite);           // bevel highlight
    EXPECT_EQ(bmp.Pixel(299, 119), 0x808080u);     // bevel shadow
    EXPECT_EQ(bmp.Pixel(5, 5), 15327722u);         // panel colour
    EXPECT_EQ(bmp.Pixel(9, 5 + 12 + 10), clBlack); // back wall frame (left edge, x = 9)

    // the window's next paint draws on the window again
    window.Paint();
    EXPECT_EQ(chart.Canvas().Target(), &window.device);
}

TEST(Snapshot, WithoutADeviceThatKeepsPixelsFailsClearly) {
    TChart chart;
    chart.SetDeviceFactory(
        [](int w, int h) { return std::make_unique<raster::RecordingDevice>(w, h); });
    EXPECT_THROW(chart.RenderToBitmap(clWhite, {0, 0, 10, 10}), ChartException);
    TChart hostless;
    EXPECT_THROW(hostless.SaveSnapshotToFile("never.bmp"), ChartException);
    EXPECT_FALSE(std::filesystem::exists("never.bmp"));
}
