// A written file read by an independent decoder (djpeg from libjpeg-turbo-progs).
#include "JpegTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

using namespace jpegtest;

TEST(JpegInterop, DjpegReadsWhatWeWrite) {
    // make test installs it: a missing decoder fails the test rather than skipping it.
    ASSERT_EQ(std::system("command -v djpeg >/dev/null 2>&1"), 0)
        << "djpeg is not installed (package libjpeg-turbo-progs)";
    auto jpg = TempPath("interop.jpg");
    auto ppm = TempPath("interop.ppm");
    jpeg::TJPEGImage image;
    image.Assign(Bands(50, 20));
    image.SaveToFile(jpg.string());
    std::string command = "djpeg -pnm -outfile '" + ppm.string() + "' '" + jpg.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);

    std::ifstream in(ppm, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    std::vector<uint8_t> rgb((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(magic, "P6");
    EXPECT_EQ(width, 50);
    EXPECT_EQ(height, 20);
    ASSERT_EQ(rgb.size(), 50u * 20 * 3);
    auto at = [&](int x, int y) {
        const uint8_t* p = &rgb[(y * 50 + x) * 3];
        return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
    };
    EXPECT_TRUE(Near(at(5, 10), 0x0000FF)) << std::hex << at(5, 10);   // red
    EXPECT_TRUE(Near(at(25, 10), 0xFF0000)) << std::hex << at(25, 10); // blue
    std::filesystem::remove(jpg);
    std::filesystem::remove(ppm);
}
