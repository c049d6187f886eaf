// libFuzzer target for the BMP reader: any input either loads or raises an rtl error, and a
// bitmap that loads writes back into a file that loads to the same pixels.
#include "toolkit/bitmap/Bitmap.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tk::TMemoryStream input(std::vector<uint8_t>(data, data + size));
    tk::TBitmap bitmap;
    try {
        bitmap.LoadFromStream(input);
    } catch (const rtl::Exception&) {
        return 0;
    }
    tk::TMemoryStream written;
    bitmap.SaveToStream(written);
    written.SetPosition(0);
    tk::TBitmap again;
    again.LoadFromStream(written);
    if (!again.Equals(bitmap)) std::abort();
    return 0;
}
