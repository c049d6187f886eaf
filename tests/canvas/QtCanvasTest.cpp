// The canvas on real pixels: a buffered frame reaches the window at its offset.
#include "../fixtures/GuiApp.h"
#include "chart/KivCanvas.h"
#include "raster/QtRasterDevice.h"

#include <gtest/gtest.h>

using namespace kiv;
using testing_support::EnsureGuiApp;

namespace {

TEST(QtCanvas, BufferedFrameIsCopiedToTheDestinationOffset) {
    EnsureGuiApp();
    raster::QtRasterDevice window(60, 40);
    TKivCanvas3D canvas;
    TView3DOptions options;
    const TRect r = canvas.BeginDrawing(window, &options, {10, 5, 40, 25}, false);
    canvas.ResetToDefaults();
    canvas.Brush().SetColor(clRed);
    canvas.FillRectangle(r);
    canvas.Pen().SetColor(clBlue);
    canvas.LineSegment(0, 0, 30, 0);
    EXPECT_EQ(window.PixelAt(15, 10), clWhite); // nothing on the window before the end
    canvas.EndDrawing(window, &window, {10, 5, 40, 25});
    EXPECT_EQ(window.PixelAt(10, 5), clBlue);
    EXPECT_EQ(window.PixelAt(39, 5), clBlue);
    EXPECT_EQ(window.PixelAt(15, 10), clRed);
    EXPECT_EQ(window.PixelAt(39, 24), clRed);
    EXPECT_EQ(window.PixelAt(40, 24), clWhite);
    EXPECT_EQ(window.PixelAt(9, 10), clWhite);
}

} // namespace
