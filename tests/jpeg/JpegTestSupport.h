// Pictures and helpers shared by the JPEG suites.
#pragma once

#include "jpeg/Jpeg.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace jpegtest {

// Colour bands wide enough to survive compression: red, green, blue, white, black.
inline tk::TBitmap Bands(int width, int height) {
    tk::TBitmap bitmap(width, height);
    const uint32_t colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x000000};
    for (int i = 0; i < 5; ++i)
        bitmap.FillRect({width * i / 5, 0, width * (i + 1) / 5, height}, colours[i]);
    return bitmap;
}

inline int Channel(uint32_t colour, int shift) {
    return static_cast<int>((colour >> shift) & 0xFF);
}

// Within a small distance per channel: what a quality-90 round trip keeps of flat colours.
inline bool Near(uint32_t actual, uint32_t expected, int tolerance = 12) {
    for (int shift : {0, 8, 16})
        if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance) return false;
    return true;
}

inline std::string Encode(jpeg::TJPEGImage& image) {
    tk::TMemoryStream stream;
    image.SaveToStream(stream);
    return std::string(stream.Bytes().begin(), stream.Bytes().end());
}

// The bytes of a bitmap compressed with the default settings.
inline std::string Compressed(const tk::TBitmap& bitmap) {
    jpeg::TJPEGImage image;
    image.Assign(bitmap);
    return Encode(image);
}

inline void Load(jpeg::TJPEGImage& image, const std::string& bytes) {
    tk::TMemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    image.LoadFromStream(stream);
}

inline tk::TBitmap Decode(const std::string& bytes,
                          void (*configure)(jpeg::TJPEGImage&) = nullptr) {
    jpeg::TJPEGImage image;
    if (configure) configure(image);
    Load(image, bytes);
    tk::TBitmap bitmap;
    bitmap.Assign(image);
    return bitmap;
}

inline std::filesystem::path TempPath(const std::string& name) {
    return std::filesystem::temp_directory_path() /
           ("hox_jpeg_" + std::to_string(::getpid()) + "_" + name);
}

} // namespace jpegtest
