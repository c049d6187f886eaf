#include "BMPtoJPG.h"

#include "jpeg/Jpeg.h"
#include "toolkit/bitmap/Bitmap.h"

namespace workers {

bool BMPtoJPG(const std::string& bmpFileName, const std::string& jpgFileName) {
    tk::TBitmap bitmap;
    bitmap.LoadFromFile(bmpFileName);
    jpeg::TJPEGImage image;
    image.Assign(bitmap);
    image.SaveToFile(jpgFileName);
    return true;
}

} // namespace workers
