// The calls into libjpeg: compression of a 24-bit bitmap into a stream, header reading and
// decompression into a bitmap. Library failures come back as EJPEG; an exception raised by a
// progress handler comes back as itself.
#pragma once

#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/bitmap/Stream.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace jpeg::detail {

// Receives running progress in percent, at most every 500 ms and only when it changed.
using RunningProgress = std::function<void(int percent)>;

struct CompressOptions {
    int quality = 90;
    bool grayscale = false;
    bool progressive = false;
};

// bitmap is 24-bit and not empty.
void CompressBitmap(const tk::TBitmap& bitmap, const CompressOptions& options, tk::TStream& out,
                    const RunningProgress& progress);

struct HeaderInfo {
    int width = 0;
    int height = 0;
    bool grayscale = false;
    bool multiScan = false;
    int scaledWidth = 0;
    int scaledHeight = 0;
};

// scale is the power of two that divides the size of the decoded picture.
HeaderInfo ReadHeader(const uint8_t* data, size_t size, int scale);

struct DecompressOptions {
    int scale = 0;
    bool smoothing = true;
    bool grayscale = false;
    bool quantize = false;
    bool bestSpeed = false;
    bool progressiveDisplay = false;
    // Colours to quantise to instead of the library's own choice.
    const tk::TPalette* palette = nullptr;
};

// passDone runs after each scan shown in progressive display.
void DecompressInto(const uint8_t* data, size_t size, const DecompressOptions& options,
                    tk::TBitmap& out, const RunningProgress& progress,
                    const std::function<void()>& passDone);

} // namespace jpeg::detail
