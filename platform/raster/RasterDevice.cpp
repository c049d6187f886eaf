#include "raster/RasterDevice.h"

namespace raster {

using namespace gfx;

Bitmap::Bitmap(int width, int height, TColor fill)
    : width_(width > 0 ? width : 0), height_(height > 0 ? height : 0),
      pixels_(static_cast<size_t>(width_) * height_, fill) {}

} // namespace raster
