// BMP reading and writing: exact round trips, the file layout other programs expect, and
// damaged files that must fail cleanly without touching the bitmap.
#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/bitmap/Picture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

using tk::TBitmap;
using tk::TMemoryStream;
using tk::TPixelFormat;

namespace {

// Little-endian field writers.
void PutLE(std::vector<uint8_t>& b, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    PutLE(b, at, v, 4);
}
void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    PutLE(b, at, v, 2);
}
uint32_t Get32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24;
}

// A well-formed 24-bit 3 x 2 file (bottom-up); tests damage one field at a time.
std::vector<uint8_t> SmallBmp() {
    std::vector<uint8_t> b(54 + 2 * 12, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, 10, 54);
    Put32(b, 14, 40);
    Put32(b, 18, 3);
    Put32(b, 22, 2);
    Put16(b, 26, 1);
    Put16(b, 28, 24);
    for (size_t i = 54; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i);
    return b;
}

TBitmap Load(std::vector<uint8_t> bytes) {
    TMemoryStream stream(std::move(bytes));
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    return bitmap;
}

TBitmap Pattern(int width, int height, TPixelFormat format = TPixelFormat::pf24bit) {
    TBitmap bitmap(width, height, format);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y,
                            format == TPixelFormat::pf24bit
                                ? static_cast<uint32_t>(x * 7 + y * 131 * 256 + (x ^ y) * 65536)
                                : tk::DefaultPalette()[(x + y) % 256]);
    return bitmap;
}

std::vector<uint8_t> Save(TBitmap& bitmap) {
    TMemoryStream stream;
    bitmap.SaveToStream(stream);
    return stream.Bytes();
}

} // namespace

TEST(BmpFile, RoundTripsOddWidthsAndPalettesExactly) {
    for (TPixelFormat format : {TPixelFormat::pf24bit, TPixelFormat::pf8bit})
        for (int width : {1, 2, 3, 5, 7, 1001}) {
            TBitmap original = Pattern(width, 4, format);
            TBitmap copy = Load(Save(original));
            EXPECT_EQ(copy.PixelFormat(), format) << width;
            EXPECT_TRUE(copy.Equals(original)) << width;
        }
}

TEST(BmpFile, WritesBottomUpRowsPaddedToFourBytes) {
    TBitmap bitmap(3, 2);
    bitmap.SetPixel(0, 0, 0x0000FF); // top-left red
    bitmap.SetPixel(0, 1, 0xFF0000); // bottom-left blue
    std::vector<uint8_t> b = Save(bitmap);
    ASSERT_EQ(b.size(), 54u + 2 * 12);
    EXPECT_EQ(Get32(b, 2), b.size());
    EXPECT_EQ(Get32(b, 10), 54u);
    EXPECT_EQ(Get32(b, 14), 40u);
    EXPECT_EQ(Get32(b, 22), 2u); // positive height: bottom row first
    EXPECT_EQ(b[28], 24);
    // First stored row is the bottom one, each pixel blue, green, red.
    EXPECT_EQ((std::vector<uint8_t>(b.begin() + 54, b.begin() + 57)),
              (std::vector<uint8_t>{0xFF, 0, 0}));
    EXPECT_EQ((std::vector<uint8_t>(b.begin() + 66, b.begin() + 69)),
              (std::vector<uint8_t>{0, 0, 0xFF}));
}

TEST(BmpFile, ReadsTopDownFiles) {
    std::vector<uint8_t> b = SmallBmp();
    TBitmap bottomUp = Load(b);
    Put32(b, 22, static_cast<uint32_t>(-2));
    TBitmap topDown = Load(b);
    ASSERT_EQ(topDown.Height(), 2);
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(topDown.Pixel(x, 0), bottomUp.Pixel(x, 1));
        EXPECT_EQ(topDown.Pixel(x, 1), bottomUp.Pixel(x, 0));
    }
}

TEST(BmpFile, ReadsFromTheMiddleOfAStreamAndEmptyStreamsAreEmptyBitmaps) {
    TBitmap original = Pattern(5, 3);
    TMemoryStream stream;
    stream.WriteBuffer("prefix", 6);
    original.SaveToStream(stream);
    stream.SetPosition(6);
    TBitmap copy;
    copy.LoadFromStream(stream);
    EXPECT_TRUE(copy.Equals(original));

    TBitmap empty(0, 10);
    EXPECT_TRUE(Save(empty).empty());
    TMemoryStream nothing;
    copy.LoadFromStream(nothing);
    EXPECT_TRUE(copy.Empty());
}

struct Damage {
    const char* what;
    void (*apply)(std::vector<uint8_t>&);
};

// The test's name in ctest's list: the damage, not the bytes of the parameter.
void PrintTo(const Damage& damage, std::ostream* os) {
    *os << damage.what;
}

class DamagedBmp : public testing::TestWithParam<Damage> {};

TEST_P(DamagedBmp, FailsWithAGraphicErrorAndKeepsTheBitmap) {
    std::vector<uint8_t> b = SmallBmp();
    GetParam().apply(b);
    TBitmap bitmap = Pattern(4, 4);
    TBitmap before;
    before.Assign(bitmap);
    TMemoryStream stream(b);
    EXPECT_THROW(bitmap.LoadFromStream(stream), rtl::EInvalidGraphicOperation);
    EXPECT_TRUE(bitmap.Equals(before));
}

INSTANTIATE_TEST_SUITE_P(
    BmpFile, DamagedBmp,
    testing::Values(
        Damage{"TruncatedFileHeader", [](auto& b) { b.resize(10); }},
        Damage{"TruncatedInfoHeader", [](auto& b) { b.resize(30); }},
        Damage{"TruncatedPixels", [](auto& b) { b.resize(b.size() - 1); }},
        Damage{"NoSignature", [](auto& b) { b[0] = 'X'; }},
        Damage{"CoreHeader", [](auto& b) { Put32(b, 14, 12); }},
        Damage{"OddHeaderSize", [](auto& b) { Put32(b, 14, 64); }},
        Damage{"HugeHeaderSize", [](auto& b) { Put32(b, 14, 0xFFFFFFF0u); }},
        Damage{"Rle8", [](auto& b) { Put32(b, 30, 1); }},
        Damage{"BitFields", [](auto& b) { Put32(b, 30, 3); }},
        Damage{"FourBitPalette", [](auto& b) { Put16(b, 28, 4); }},
        Damage{"ThirtyTwoBit", [](auto& b) { Put16(b, 28, 32); }},
        Damage{"TwoPlanes", [](auto& b) { Put16(b, 26, 2); }},
        Damage{"NegativeWidth", [](auto& b) { Put32(b, 18, static_cast<uint32_t>(-3)); }},
        Damage{"AbsurdWidth", [](auto& b) { Put32(b, 18, 0x7FFFFFFF); }},
        Damage{"MostNegativeHeight", [](auto& b) { Put32(b, 22, 0x80000000u); }},
        Damage{"TooManyPixels", [](auto& b) { Put32(b, 18, 20000), Put32(b, 22, 20000); }},
        Damage{"PixelOffsetPastEnd", [](auto& b) { Put32(b, 10, 0xFFFFFFFFu); }},
        Damage{"PixelsInsideHeader", [](auto& b) { Put32(b, 10, 20); }},
        Damage{"TooManyColours",
               [](auto& b) { Put16(b, 28, 8), Put32(b, 46, 300), Put32(b, 10, 54 + 1200); }},
        Damage{"PaletteOverlapsPixels", [](auto& b) { Put16(b, 28, 8), Put32(b, 46, 16); }}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(BmpFile, FileRoundTripPictureRegistryAndMissingFiles) {
    TBitmap bitmap;
    EXPECT_THROW(bitmap.LoadFromFile("/nonexistent/dir/x.bmp"), rtl::EInOutError);
    EXPECT_THROW(bitmap.LoadFromFile(std::filesystem::temp_directory_path().string()),
                 rtl::EInOutError);
    auto path = std::filesystem::temp_directory_path() / "hox_bitmap_test.bmp";
    TBitmap original = Pattern(6, 5);
    original.SaveToFile(path.string());

    tk::TPicture picture;
    picture.LoadFromFile(path.string());
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_STREQ(picture.Graphic()->ClassName(), "TBitmap");
    EXPECT_TRUE(picture.Graphic()->Equals(original));
    EXPECT_EQ(tk::TPicture::FileFormatDescription("BMP"), "Bitmaps");
    EXPECT_THROW(picture.LoadFromFile("image.xyz"), rtl::EInvalidGraphicOperation);
    EXPECT_EQ(picture.Width(), 6); // the failed load kept the picture
    std::filesystem::remove(path);
}

TEST(BmpFile, PropertyDataRoundTripAndOverlongCount) {
    TBitmap original = Pattern(3, 3);
    TMemoryStream data;
    original.WriteData(data);
    data.SetPosition(0);
    TBitmap copy;
    copy.ReadData(data);
    EXPECT_TRUE(copy.Equals(original));

    std::vector<uint8_t> bytes = data.Bytes();
    Put32(bytes, 0, Get32(bytes, 0) + 1);
    TMemoryStream longer(bytes);
    EXPECT_THROW(copy.ReadData(longer), rtl::EInOutError);
}
