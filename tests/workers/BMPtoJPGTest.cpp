// Converting snapshot files: the result on disk, and failures that leave no JPEG behind.
#include "../jpeg/JpegTestSupport.h"

#include "BMPtoJPG.h"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>
#include <vector>

using namespace jpegtest;

namespace {

struct Files {
    std::filesystem::path bmp = TempPath("snapshot.bmp");
    std::filesystem::path jpg = TempPath("snapshot.jpg");
    ~Files() {
        std::filesystem::remove(bmp);
        std::filesystem::remove(jpg);
    }
};

} // namespace

TEST(BMPtoJPG, ConvertsToABaselineColourJpeg) {
    Files files;
    tk::TBitmap bitmap = Bands(101, 40);
    bitmap.SaveToFile(files.bmp.string());
    {
        std::ofstream stale(files.jpg); // replaced, not appended to
        stale << std::string(100000, 'x');
    }
    EXPECT_TRUE(workers::BMPtoJPG(files.bmp.string(), files.jpg.string()));

    jpeg::TJPEGImage image;
    image.LoadFromFile(files.jpg.string());
    EXPECT_EQ(image.Width(), 101);
    EXPECT_EQ(image.Height(), 40);
    EXPECT_FALSE(image.ProgressiveEncoding());
    EXPECT_FALSE(image.JPEGData().Grayscale());
    tk::TBitmap decoded;
    decoded.Assign(image);
    EXPECT_TRUE(Near(decoded.Pixel(10, 20), 0x0000FF));
    EXPECT_TRUE(Near(decoded.Pixel(50, 20), 0xFF0000));
}

TEST(BMPtoJPG, UnreadableBitmapsAndUnwritableTargetsFailAndWriteNothing) {
    Files files;
    EXPECT_THROW(workers::BMPtoJPG(files.bmp.string(), files.jpg.string()), rtl::EInOutError);
    EXPECT_FALSE(std::filesystem::exists(files.jpg));

    std::ofstream(files.bmp) << "BM but nothing else";
    EXPECT_THROW(workers::BMPtoJPG(files.bmp.string(), files.jpg.string()),
                 rtl::EInvalidGraphicOperation);
    EXPECT_FALSE(std::filesystem::exists(files.jpg));

    Bands(10, 10).SaveToFile(files.bmp.string());
    EXPECT_THROW(workers::BMPtoJPG(files.bmp.string(), "/nonexistent/dir/out.jpg"),
                 rtl::EInOutError);
}

TEST(BMPtoJPG, ConcurrentConversionsDoNotInterfere) {
    constexpr int kRuns = 4;
    std::vector<std::filesystem::path> bmps, jpgs;
    for (int i = 0; i < kRuns; ++i) {
        bmps.push_back(TempPath("run" + std::to_string(i) + ".bmp"));
        jpgs.push_back(TempPath("run" + std::to_string(i) + ".jpg"));
        tk::TBitmap bitmap(64 + i * 8, 32);
        bitmap.FillRect({0, 0, bitmap.Width(), 32}, i % 2 ? 0xFF0000 : 0x0000FF);
        bitmap.SaveToFile(bmps[i].string());
    }
    std::vector<std::thread> threads;
    for (int i = 0; i < kRuns; ++i)
        threads.emplace_back([&, i] {
            for (int k = 0; k < 10; ++k) workers::BMPtoJPG(bmps[i].string(), jpgs[i].string());
        });
    for (auto& t : threads) t.join();
    for (int i = 0; i < kRuns; ++i) {
        jpeg::TJPEGImage image;
        image.LoadFromFile(jpgs[i].string());
        tk::TBitmap decoded;
        decoded.Assign(image);
        EXPECT_EQ(decoded.Width(), 64 + i * 8);
        EXPECT_TRUE(Near(decoded.Pixel(10, 10), i % 2 ? 0xFF0000 : 0x0000FF));
        std::filesystem::remove(bmps[i]);
        std::filesystem::remove(jpgs[i]);
    }
}
