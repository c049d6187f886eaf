// The in-memory bitmap: sizes, pixel formats, assignment and drawing.
#include "toolkit/bitmap/Bitmap.h"

#include <gtest/gtest.h>

using tk::TBitmap;
using tk::TPixelFormat;

TEST(Bitmap, ResizeKeepsTheOverlapAndZeroesTheRest) {
    TBitmap bitmap(2, 2);
    bitmap.FillRect({0, 0, 2, 2}, 0x123456);
    bitmap.SetSize(3, 1);
    EXPECT_EQ(bitmap.Pixel(1, 0), 0x123456u);
    EXPECT_EQ(bitmap.Pixel(2, 0), 0u);
    EXPECT_EQ(bitmap.Pixel(0, 1), TBitmap::kInvalidColor);
}

TEST(Bitmap, RejectsBadSizesBeforeChangingAnything) {
    TBitmap bitmap(4, 4);
    EXPECT_THROW(bitmap.SetSize(-1, 4), rtl::EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.SetSize(tk::kMaxBitmapSide + 1, 1), rtl::EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.SetSize(tk::kMaxBitmapSide, tk::kMaxBitmapSide),
                 rtl::EInvalidGraphicOperation);
    EXPECT_EQ(bitmap.Width(), 4);
    EXPECT_THROW(bitmap.ScanLine(4), rtl::EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.ScanLine(-1), rtl::EInvalidGraphicOperation);
}

TEST(Bitmap, ScanLinesHoldBlueGreenRed) {
    TBitmap bitmap(2, 1);
    bitmap.SetPixel(1, 0, 0x332211); // red 0x11, green 0x22, blue 0x33
    const uint8_t* row = bitmap.ScanLine(0);
    EXPECT_EQ(row[3], 0x33);
    EXPECT_EQ(row[4], 0x22);
    EXPECT_EQ(row[5], 0x11);
}

TEST(Bitmap, PixelFormatConversionsKeepPaletteColours) {
    TBitmap bitmap(3, 1);
    bitmap.SetPixel(0, 0, 0x0000FF);
    bitmap.SetPixel(1, 0, 0xFFFFFF);
    bitmap.SetPixel(2, 0, 0x0000FE); // nearest palette colour is pure red
    bitmap.SetPixelFormat(TPixelFormat::pf8bit);
    EXPECT_EQ(bitmap.Pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(bitmap.Pixel(2, 0), 0x0000FFu);
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(bitmap.Pixel(1, 0), 0xFFFFFFu);
    EXPECT_EQ(bitmap.Palette().size(), 0u);
}

TEST(Bitmap, AssignCopiesAndUnrelatedSourcesFail) {
    TBitmap source(2, 2, TPixelFormat::pf8bit);
    source.SetPalette({0x0000FF, 0x00FF00});
    source.SetPixel(1, 1, 0x00FF00);
    TBitmap copy;
    copy.Assign(source);
    EXPECT_TRUE(copy.Equals(source));
    source.SetPixel(1, 1, 0x0000FF);
    EXPECT_FALSE(copy.Equals(source)); // a real copy, not shared pixels

    struct Other : tk::TPersistent {
        const char* ClassName() const override { return "TOther"; }
    } other;
    try {
        copy.Assign(other);
        FAIL();
    } catch (const rtl::EConvertError& e) {
        EXPECT_EQ(e.Message, "Cannot assign a TOther to a TBitmap");
    }
}

TEST(Bitmap, DrawStretchesAndClips) {
    TBitmap source(2, 1);
    source.SetPixel(0, 0, 0x0000FF);
    source.SetPixel(1, 0, 0xFF0000);
    TBitmap target(5, 2);
    source.Draw(target, {1, 0, 9, 2}); // 8 wide: each source pixel covers 4, clipped at 5
    EXPECT_EQ(target.Pixel(0, 0), 0u);
    EXPECT_EQ(target.Pixel(4, 1), 0x0000FFu);
    source.Draw(target, {-4, 0, 4, 1});
    EXPECT_EQ(target.Pixel(0, 0), 0xFF0000u);
}

TEST(Bitmap, ChangeEventFiresOnEdits) {
    TBitmap bitmap;
    int changes = 0;
    bitmap.OnChange = [&](tk::TGraphic&) { ++changes; };
    bitmap.SetSize(2, 2);
    bitmap.SetSize(2, 2);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(bitmap.Modified());
}
