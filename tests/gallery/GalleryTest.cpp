#include "tools/Gallery.h"

#include "../fixtures/GuiApp.h"
#include "chart/Chart.h"
#include "jpeg/Jpeg.h"
#include "raster/QtRasterDevice.h"
#include "toolkit/bitmap/Bitmap.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

// Pixels in the colours the chart gives its first three series.
int SeriesPixels(const tk::TBitmap& bmp) {
    int n = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) {
            const gfx::TColor c = bmp.Pixel(x, y);
            n += c == kiv::clRed || c == kiv::clGreen || c == kiv::clYellow;
        }
    return n;
}

} // namespace

TEST(Gallery, EveryKindAndFunctionGetsAPictureThatShowsIt) {
    testing_support::EnsureGuiApp();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("hox_gallery_" + std::to_string(getpid()));
    const auto pictures = tools::WriteGallery(folder.string(), [](int w, int h) {
        return std::make_unique<raster::QtRasterDevice>(w, h);
    });

    const kiv::TKivSeriesTypes& types = kiv::TKivSeriesTypes::Instance();
    ASSERT_GE(types.Count(), 15);
    size_t expected = 0;
    for (const kiv::TKivSeriesType& type : types) {
        const bool isFunction = bool(type.FunctionClass);
        int found = 0;
        for (const tools::GalleryPicture& p : pictures)
            found += p.Description == type.Description && p.GalleryPage == type.GalleryPage;
        EXPECT_EQ(found, isFunction ? 1 : 2) << type.Description;
        expected += isFunction ? 1 : 2;
    }
    ASSERT_EQ(pictures.size(), expected);

    for (const tools::GalleryPicture& p : pictures) {
        SCOPED_TRACE(p.BmpFile);
        tk::TBitmap bmp;
        bmp.LoadFromFile(p.BmpFile);
        ASSERT_EQ(bmp.Width(), 600);
        ASSERT_EQ(bmp.Height(), 400);
        // Series, slices and functions are drawn in the palette's first colours. The sample
        // values are random: the floor is what a one-pixel line across the plot leaves (one
        // pixel a column of its ~500), which every picture passes whatever its values.
        EXPECT_GT(SeriesPixels(bmp), 500);
        jpeg::TJPEGImage jpg;
        jpg.LoadFromFile(p.JpgFile);
        EXPECT_EQ(jpg.Width(), 600);
        EXPECT_EQ(jpg.Height(), 400);
    }
    std::filesystem::remove_all(folder);
}
