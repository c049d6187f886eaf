// The JPEG picture: colours and sizes through a compression round trip, shared data, the
// decoding settings and the failure paths.
#include "JpegTestSupport.h"

#include "LibJpeg.h"
#include "toolkit/bitmap/Picture.h"

#include <gtest/gtest.h>

#include <unistd.h>

using jpeg::TJPEGImage;
using tk::TBitmap;
using tk::TMemoryStream;
using namespace jpegtest;

TEST(JpegCompression, PrimaryColoursKeepTheirPlace) {
    TBitmap decoded = Decode(Compressed(Bands(80, 16)));
    ASSERT_EQ(decoded.Width(), 80);
    ASSERT_EQ(decoded.Height(), 16);
    EXPECT_EQ(decoded.PixelFormat(), tk::TPixelFormat::pf24bit);
    const std::pair<int, uint32_t> bands[] = {
        {8, 0x0000FF}, {24, 0x00FF00}, {40, 0xFF0000}, {56, 0xFFFFFF}};
    for (auto [x, colour] : bands)
        EXPECT_TRUE(Near(decoded.Pixel(x, 8), colour)) << std::hex << decoded.Pixel(x, 8);
    // 8-bit bitmaps are compressed as colour too; a single pixel is a picture
    TBitmap paletted = Bands(40, 8);
    paletted.SetPixelFormat(tk::TPixelFormat::pf8bit);
    EXPECT_TRUE(Near(Decode(Compressed(paletted)).Pixel(4, 4), 0x0000FF));
    TBitmap pixel(1, 1);
    pixel.SetPixel(0, 0, 0x0000FF);
    decoded = Decode(Compressed(pixel));
    ASSERT_EQ(decoded.Width() * decoded.Height(), 1);
    EXPECT_TRUE(Near(decoded.Pixel(0, 0), 0x0000FF, 20));
}

TEST(JpegCompression, EmptyBitmapSavesZeroBytes) {
    for (auto [width, height] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}}) {
        TJPEGImage image;
        image.Assign(TBitmap(width, height));
        EXPECT_TRUE(image.Empty());
        EXPECT_TRUE(Encode(image).empty());
    }
    auto path = TempPath("empty.jpg");
    TJPEGImage image;
    image.Assign(TBitmap(0, 3));
    image.SaveToFile(path.string());
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    std::filesystem::remove(path);
}

TEST(JpegSharing, RecompressingOneImageLeavesTheOthersBytes) {
    TJPEGImage first;
    first.Assign(Bands(40, 8));
    std::string firstBytes = Encode(first);
    TJPEGImage second;
    second.Assign(first);
    EXPECT_EQ(&first.JPEGData(), &second.JPEGData());
    EXPECT_EQ(first.JPEGData().RefCount(), 2);
    EXPECT_TRUE(first.Equals(second));

    second.SetCompressionQuality(10);
    second.Compress();
    EXPECT_NE(&first.JPEGData(), &second.JPEGData());
    EXPECT_EQ(first.JPEGData().RefCount(), 1);
    EXPECT_EQ(Encode(first), firstBytes);
    EXPECT_NE(Encode(second), firstBytes);
    EXPECT_FALSE(first.Equals(second));

    second.Assign(Bands(8, 8));
    EXPECT_EQ(Encode(first), firstBytes);
    EXPECT_EQ(second.Width(), 8);

    // pictures with a bitmap only are not equal until both are compressed to the same bytes
    TJPEGImage a, b;
    a.Assign(Bands(16, 8));
    b.Assign(Bands(16, 8));
    EXPECT_FALSE(a.Equals(b));
    Encode(a);
    Encode(b);
    EXPECT_TRUE(a.Equals(b));
    EXPECT_FALSE(a.Equals(Bands(16, 8)));
}

TEST(JpegSharing, LoadedImagesWithoutBitmapAssignAndRecompress) {
    const std::string bytes = Compressed(Bands(40, 8));
    TJPEGImage loaded;
    Load(loaded, bytes); // bytes only, no bitmap
    // assigning it drops the target's old picture
    TJPEGImage target;
    target.Assign(Bands(16, 16));
    target.Assign(loaded);
    EXPECT_EQ(target.Width(), 40);
    EXPECT_EQ(target.Height(), 8);
    // compressing it again keeps the picture
    loaded.SetCompressionQuality(50);
    loaded.Compress();
    EXPECT_EQ(loaded.Width(), 40);
    EXPECT_TRUE(Near(Decode(Encode(loaded)).Pixel(4, 4), 0x0000FF, 24));
}

TEST(JpegSettings, GrayscaleEncodingAndDecoding) {
    TJPEGImage image;
    image.SetGrayscale(true);
    image.Assign(Bands(40, 8));
    std::string bytes = Encode(image);
    EXPECT_TRUE(image.JPEGData().Grayscale());
    TJPEGImage loaded;
    Load(loaded, bytes);
    EXPECT_TRUE(loaded.JPEGData().Grayscale());

    // A colour file decoded with grayscale on gives an 8-bit grey picture.
    TBitmap grey = Decode(Compressed(Bands(40, 8)), [](TJPEGImage& i) { i.SetGrayscale(true); });
    EXPECT_EQ(grey.PixelFormat(), tk::TPixelFormat::pf8bit);
    uint32_t red = grey.Pixel(4, 4);
    EXPECT_EQ(Channel(red, 0), Channel(red, 8));
    EXPECT_EQ(Channel(red, 0), Channel(red, 16));
    EXPECT_TRUE(Near(red, 0x4C4C4C, 16)) << std::hex << red; // luminance of pure red
}

TEST(JpegSettings, ScaleShrinksTheDecodedPicture) {
    const std::string bytes = Compressed(Bands(65, 48));
    const std::pair<jpeg::TJPEGScale, std::pair<int, int>> cases[] = {
        {jpeg::TJPEGScale::jsFullSize, {65, 48}},
        {jpeg::TJPEGScale::jsHalf, {33, 24}},
        {jpeg::TJPEGScale::jsQuarter, {17, 12}},
        {jpeg::TJPEGScale::jsEighth, {9, 6}}};
    for (const auto& [scale, size] : cases) {
        TJPEGImage image;
        image.SetScale(scale);
        Load(image, bytes);
        EXPECT_EQ(image.Width(), size.first); // from the header, before decoding
        EXPECT_EQ(image.Height(), size.second);
        TBitmap decoded;
        decoded.Assign(image);
        EXPECT_EQ(decoded.Width(), size.first);
        EXPECT_EQ(decoded.Height(), size.second);
    }
}

TEST(JpegSettings, EightBitOutputIsQuantised) {
    const std::string bytes = Compressed(Bands(40, 8));
    for (auto performance :
         {jpeg::TJPEGPerformance::jpBestQuality, jpeg::TJPEGPerformance::jpBestSpeed}) {
        TJPEGImage image;
        image.SetPixelFormat(jpeg::TJPEGPixelFormat::jf8Bit);
        image.SetPerformance(performance);
        Load(image, bytes);
        TBitmap decoded;
        decoded.Assign(image);
        EXPECT_EQ(decoded.PixelFormat(), tk::TPixelFormat::pf8bit);
        EXPECT_LE(decoded.Palette().size(), 236u);
        EXPECT_TRUE(Near(decoded.Pixel(4, 4), 0x0000FF, 40)) << std::hex << decoded.Pixel(4, 4);
    }

    // With a palette of its own the picture is quantised to exactly those colours.
    const tk::TPalette palette = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x000000};
    TBitmap decoded = Decode(bytes, [](TJPEGImage& i) {
        i.SetPixelFormat(jpeg::TJPEGPixelFormat::jf8Bit);
        i.SetPalette({0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x000000});
    });
    EXPECT_EQ(decoded.Palette(), palette);
    EXPECT_EQ(decoded.Pixel(12, 4), 0x00FF00u);
}

TEST(JpegSettings, ProgressiveEncodingAndDisplay) {
    TJPEGImage image;
    image.SetProgressiveEncoding(true);
    image.Assign(Bands(64, 32));
    std::string bytes = Encode(image);
    EXPECT_NE(bytes.find("\xFF\xC2"), std::string::npos); // progressive frame marker
    EXPECT_EQ(bytes.find("\xFF\xC0"), std::string::npos);
    TJPEGImage loaded;
    Load(loaded, bytes);
    EXPECT_TRUE(loaded.ProgressiveEncoding());

    TJPEGImage shown;
    shown.SetProgressiveDisplay(true);
    int redraws = 0;
    shown.OnProgress = [&](tk::TGraphic&, tk::TProgressStage, uint8_t, bool redrawNow,
                           const gfx::TRect&, const std::string&) { redraws += redrawNow; };
    Load(shown, bytes);
    TBitmap scanByScan;
    scanByScan.Assign(shown);
    EXPECT_GT(redraws, 1);
    EXPECT_TRUE(scanByScan.Equals(Decode(bytes))); // the last scan completes the picture
}

TEST(JpegErrors, SizeCannotBeSet) {
    TJPEGImage image;
    image.Assign(Bands(10, 6));
    for (auto set : {&TJPEGImage::SetWidth, &TJPEGImage::SetHeight}) {
        try {
            (image.*set)(20);
            FAIL();
        } catch (const rtl::EInvalidGraphicOperation& e) {
            EXPECT_EQ(e.Message, "Cannot change the size of a JPEG image");
        }
    }
    EXPECT_EQ(image.Width(), 10);
    EXPECT_EQ(image.Height(), 6);
}

TEST(JpegErrors, DamagedDataRaisesAndKeepsThePicture) {
    TJPEGImage image;
    image.Assign(Bands(10, 6));
    std::string good = Encode(image);
    for (std::string bad : {std::string("not a jpeg at all"), good.substr(0, 20),
                            std::string("\xFF\xD8\xFF\xD9", 4)}) {
        try {
            Load(image, bad);
            FAIL() << "loaded " << bad.size() << " bytes";
        } catch (const jpeg::EJPEG& e) {
            EXPECT_EQ(e.Message, "JPEG error #" + std::to_string(e.MessageCode));
        }
        EXPECT_EQ(Encode(image), good);
    }
    // A file cut in the middle of its pixels still decodes (the rest grey), without a read past
    // the data.
    std::string whole = Compressed(Bands(400, 200));
    EXPECT_EQ(Decode(whole.substr(0, whole.size() - 200)).Width(), 400);
}

namespace {

// Takes the first `limit` bytes, then refuses, like a full disk.
class ShortStream : public tk::TMemoryStream {
public:
    explicit ShortStream(int64_t limit) : limit_(limit) {}
    int64_t Write(const void* buffer, int64_t count) override {
        int64_t n = std::min(count, limit_ - Size());
        return TMemoryStream::Write(buffer, std::max<int64_t>(n, 0));
    }

private:
    int64_t limit_;
};

class ThrowingStream : public tk::TMemoryStream {
public:
    int64_t Write(const void*, int64_t) override { throw std::bad_alloc(); }
};

} // namespace

TEST(JpegErrors, ShortWritesAreLibraryErrorThirtySeven) {
    TBitmap bitmap = Bands(200, 100);
    ShortStream full(100); // less than the picture
    ThrowingStream failing;
    for (tk::TStream* out :
         {static_cast<tk::TStream*>(&full), static_cast<tk::TStream*>(&failing)}) {
        try {
            jpeg::detail::CompressBitmap(bitmap, {}, *out, {});
            FAIL();
        } catch (const jpeg::EJPEG& e) {
            EXPECT_EQ(e.MessageCode, 37);
            EXPECT_EQ(e.Message, "JPEG error #37");
        }
    }
    // Writing the finished bytes to a short stream is a plain stream error; the picture stays.
    TJPEGImage image;
    image.Assign(bitmap);
    ShortStream tiny(10);
    EXPECT_THROW(image.SaveToStream(tiny), rtl::EInOutError);
    EXPECT_FALSE(Encode(image).empty());
}

TEST(JpegErrors, ProgressFramesACompressionAbortIsSilentOtherErrorsPropagate) {
    TJPEGImage image;
    image.Assign(Bands(40, 8));
    std::vector<std::pair<tk::TProgressStage, int>> events;
    std::function<void()> atEnd = [] { throw tk::EAbort(); };
    image.OnProgress = [&](tk::TGraphic&, tk::TProgressStage stage, uint8_t percent, bool,
                           const gfx::TRect&, const std::string&) {
        events.emplace_back(stage, percent);
        if (stage == tk::TProgressStage::psEnding) atEnd();
    };
    EXPECT_TRUE(Encode(image).empty());
    EXPECT_FALSE(image.JPEGData().HasBytes());
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events.front(), std::make_pair(tk::TProgressStage::psStarting, 0));
    EXPECT_EQ(events.back(), std::make_pair(tk::TProgressStage::psEnding, 100));

    atEnd = [] { throw rtl::EInOutError("cancelled"); };
    EXPECT_THROW(Encode(image), rtl::EInOutError);
    // The half-done bytes were dropped: the next save compresses again, completely.
    image.OnProgress = nullptr;
    EXPECT_TRUE(Near(Decode(Encode(image)).Pixel(4, 4), 0x0000FF));
}

TEST(JpegErrors, HeaderPromisingAHugePictureFailsWithoutTheMemory) {
    TJPEGImage source;
    source.SetProgressiveEncoding(true);
    source.Assign(Bands(64, 32));
    std::string bytes = Encode(source);
    size_t sof = bytes.find("\xFF\xC2");
    ASSERT_NE(sof, std::string::npos);
    for (size_t at : {sof + 5, sof + 7}) { // height, then width: 60000 each
        bytes[at] = static_cast<char>(0xEA);
        bytes[at + 1] = static_cast<char>(0x60);
    }
    for (auto scale : {jpeg::TJPEGScale::jsFullSize, jpeg::TJPEGScale::jsEighth}) {
        TJPEGImage image;
        image.SetScale(scale);
        Load(image, bytes);
        TBitmap decoded;
        EXPECT_THROW(decoded.Assign(image), jpeg::EJPEG);
        EXPECT_TRUE(decoded.Empty());
    }
}

TEST(JpegFormat, PropertyDataKeepsABitmapOnlyPicture) {
    TJPEGImage image;
    image.Assign(Bands(20, 10));
    TMemoryStream data;
    image.WriteData(data);
    EXPECT_GT(data.Size(), 4);
    data.SetPosition(0);
    TJPEGImage copy;
    copy.ReadData(data);
    EXPECT_EQ(copy.Width(), 20);
    EXPECT_TRUE(copy.Equals(image));

    TJPEGImage empty;
    TMemoryStream none;
    empty.WriteData(none);
    EXPECT_EQ(none.Bytes(), std::vector<uint8_t>(4, 0));
    none.SetPosition(0);
    copy.ReadData(none);
    EXPECT_TRUE(copy.Empty());
}

TEST(JpegFormat, RegisteredForJpgAndJpegFilesAndOnlyAssignsPictures) {
    // Nothing registers by itself: the program does at start-up.
    EXPECT_EQ(tk::TPicture::FileFormatDescription("jpg"), std::nullopt);
    jpeg::RegisterFileFormats();
    EXPECT_EQ(tk::TPicture::FileFormatDescription("jpg"), "JPEG Image File");
    EXPECT_EQ(tk::TPicture::FileFormatDescription("JPEG"), "JPEG Image File");
    auto path = TempPath("registry.jpg");
    TJPEGImage image;
    image.Assign(Bands(30, 10));
    image.SaveToFile(path.string());
    tk::TPicture picture;
    TJPEGImage other;
    EXPECT_THROW(other.Assign(picture), rtl::EConvertError);
    EXPECT_THROW(other.AssignTo(picture), rtl::EConvertError);
    picture.LoadFromFile(path.string());
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_STREQ(picture.Graphic()->ClassName(), "TJPEGImage");
    EXPECT_EQ(picture.Width(), 30);
    jpeg::UnregisterFileFormats();
    EXPECT_EQ(tk::TPicture::FileFormatDescription("jpeg"), std::nullopt);
    EXPECT_EQ(tk::TPicture::FileFormatDescription("bmp"), "Bitmaps");
    EXPECT_THROW(picture.LoadFromFile(path.string()), rtl::Exception);
    std::filesystem::remove(path);
}

TEST(JpegFormat, DrawStretchesTheDecodedPicture) {
    TJPEGImage image;
    Load(image, Compressed(Bands(40, 8)));
    TBitmap target(20, 4);
    image.Draw(target, {0, 0, 20, 4});
    EXPECT_TRUE(Near(target.Pixel(1, 2), 0x0000FF));
    EXPECT_TRUE(Near(target.Pixel(9, 2), 0xFF0000));
}
