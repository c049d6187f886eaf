// The series gallery: one picture for every series kind and function of the chart engine's
// registry, drawn with sample values, so a reader sees the whole engine at once.
#pragma once

#include "raster/PanelHost.h"

#include <string>
#include <vector>

namespace tools {

struct GalleryPicture {
    std::string Description; // the registry's description of the kind or function
    std::string GalleryPage;
    bool View3D = false;
    std::string BmpFile; // full paths of the files written
    std::string JpgFile;
};

// Registers the engine's series kinds and functions, then writes one BMP and one JPEG picture
// of each (series kinds in 2D and in 3D) into folder, drawn on devices made by devices.
// Raises on a folder or file that cannot be written.
std::vector<GalleryPicture> WriteGallery(const std::string& folder,
                                         const raster::TDeviceFactory& devices);

} // namespace tools
