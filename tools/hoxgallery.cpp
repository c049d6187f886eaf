// hoxgallery OUTDIR: writes a picture of every series kind and function of the chart engine.

#include "tools/Gallery.h"

#include "raster/QtRasterDevice.h"
#include "toolkit/Application.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: hoxgallery OUTDIR\n");
        return 2;
    }
    const std::string folder = argv[1];
    // It draws off screen only: without a platform chosen it needs no display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    tk::TApplication app(argc, argv); // fonts need the application
    try {
        const auto pictures = tools::WriteGallery(folder, [](int width, int height) {
            return std::make_unique<raster::QtRasterDevice>(width, height);
        });
        for (const tools::GalleryPicture& p : pictures)
            std::printf("%-10s %-12s %s\n", p.GalleryPage.c_str(), p.Description.c_str(),
                        p.JpgFile.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "hoxgallery: %s\n", e.what());
        return 1;
    }
    return 0;
}
