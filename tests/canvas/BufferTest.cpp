// Buffered frames: drawing goes to an off-screen device that is copied once to the window.
#include "CanvasFixture.h"

using namespace kiv;

using raster::Call;

TEST_F(CanvasTest, BufferedFrameDrawsOffScreenAndCopiesOnce) {
    raster::RecordingDevice window(300, 200);
    const TRect out = canvas.BeginDrawing(window, &options, {20, 30, 120, 80}, false);
    EXPECT_EQ(out, (TRect{0, 0, 100, 50}));
    auto* buffer = static_cast<raster::RecordingDevice*>(canvas.Buffer());
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->Width(), 100);
    canvas.LineSegment(0, 0, 10, 10);
    EXPECT_EQ(buffer->CountOf("LineTo"), 1);
    EXPECT_TRUE(window.Calls().empty());
    canvas.EndDrawing(window, &window, {20, 30, 120, 80});
    ASSERT_EQ(window.Calls().size(), 1u);
    EXPECT_EQ(window.Calls()[0], Call("BlockCopy", {20, 30, 100, 50, 0, 0}));
    EXPECT_FALSE(canvas.Dirty());
    EXPECT_EQ(canvas.Target(), &window);
}

TEST_F(CanvasTest, BufferRepaintsUntilDirtyAndIsKeptUntilTheSizeChanges) {
    raster::RecordingDevice window(300, 200);
    canvas.BeginDrawing(window, &options, {0, 0, 100, 50}, false);
    auto* first = canvas.Buffer();
    EXPECT_FALSE(canvas.RepaintFromBuffer()); // dirty until the first frame ends
    canvas.EndDrawing(window, &window, {0, 0, 100, 50});
    window.Clear();
    EXPECT_TRUE(canvas.RepaintFromBuffer());
    EXPECT_EQ(window.Calls()[0], Call("BlockCopy", {0, 0, 100, 50, 0, 0}));
    canvas.MarkDirty();
    EXPECT_FALSE(canvas.RepaintFromBuffer());
    canvas.BeginDrawing(window, &options, {10, 10, 110, 60}, false);
    EXPECT_EQ(canvas.Buffer(), first);
    canvas.EndDrawing(window, &window, {0, 0, 100, 50});
    canvas.BeginDrawing(window, &options, {0, 0, 101, 50}, false);
    EXPECT_EQ(canvas.Buffer()->Width(), 101);
    canvas.EndDrawing(window, &window, {0, 0, 101, 50});
}

TEST_F(CanvasTest, SwitchingOffBufferingDetachesMidFrameAndLeavesNoBuffer) {
    raster::RecordingDevice window(300, 200);
    canvas.BeginDrawing(window, &options, {0, 0, 100, 50}, false);
    canvas.SetBufferedDrawing(false);
    EXPECT_EQ(canvas.Target(), nullptr);
    EXPECT_EQ(canvas.Buffer(), nullptr);
    canvas.LineSegment(0, 0, 1, 1); // nothing to draw into, and no crash
    canvas.EndDrawing(window, &window, {0, 0, 100, 50});
    EXPECT_EQ(canvas.Target(), &window);
    EXPECT_TRUE(canvas.Dirty());
    // unbuffered frames draw on the window at their own offset and never repaint from a buffer
    const TRect out = canvas.BeginDrawing(window, &options, {5, 5, 100, 50}, false);
    EXPECT_EQ(out, (TRect{5, 5, 100, 50}));
    canvas.LineSegment(0, 0, 1, 1);
    EXPECT_EQ(window.CountOf("LineTo"), 1);
    canvas.EndDrawing(window, &window, {0, 0, 100, 50});
    EXPECT_EQ(window.CountOf("BlockCopy"), 0);
    EXPECT_FALSE(canvas.RepaintFromBuffer());
}

TEST_F(CanvasTest, MonochromeChangeFreesTheBufferAndRepaints) {
    int repaints = 0;
    TView3DOptions counted([&] { ++repaints; });
    raster::RecordingDevice window(300, 200);
    canvas.BeginDrawing(window, &counted, {0, 0, 100, 50}, false);
    canvas.EndDrawing(window, &window, {0, 0, 100, 50});
    canvas.SetMonochromeBuffer(true);
    EXPECT_EQ(canvas.Buffer(), nullptr);
    EXPECT_EQ(repaints, 1);
    canvas.SetMonochromeBuffer(true);
    EXPECT_EQ(repaints, 1);
    canvas.BeginDrawing(window, &counted, {0, 0, 100, 50}, false);
    EXPECT_TRUE(canvas.Buffer()->Monochrome());
    canvas.EndDrawing(window, &window, {0, 0, 100, 50});
    TKivCanvas3D other;
    other.Assign(canvas);
    EXPECT_TRUE(other.MonochromeBuffer());
}
