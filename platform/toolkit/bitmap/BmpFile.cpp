// Windows BMP files: a 14-byte file header, a BITMAPINFOHEADER (or one of its longer
// successors), an optional colour table and rows padded to 4 bytes, bottom row first unless
// the height is negative. Only uncompressed 8-bit and 24-bit files are read.
#include "toolkit/bitmap/Bitmap.h"

#include <cstring>

namespace tk {

namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr uint32_t kBiRgb = 0;

[[noreturn]] void Invalid(const char* why) {
    throw rtl::EInvalidGraphicOperation(rtl::Format("Bitmap image is not valid: %s", {why}));
}

uint32_t U32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void PutU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

uint64_t Stride(uint64_t width, int bitCount) {
    return (width * bitCount + 31) / 32 * 4;
}

} // namespace

void TBitmap::LoadFromStream(TStream& stream) {
    int64_t start = stream.Position();
    int64_t available = stream.Size() - start;
    if (available <= 0) {
        TBitmap empty;
        empty.pixelFormat_ = pixelFormat_;
        empty.palette_ = palette_;
        Swap(empty);
        Changed();
        return;
    }
    uint8_t header[kFileHeaderSize + 124];
    if (available < kFileHeaderSize + 4) Invalid("the file is truncated");
    stream.ReadBuffer(header, kFileHeaderSize + 4);
    if (header[0] != 'B' || header[1] != 'M') Invalid("no BM signature");
    uint32_t offBits = U32(header + 10);
    uint32_t infoSize = U32(header + 14);
    if (infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 108 && infoSize != 124)
        Invalid("unsupported header size");
    if (available < kFileHeaderSize + int64_t{infoSize}) Invalid("the file is truncated");
    stream.ReadBuffer(header + kFileHeaderSize + 4, infoSize - 4);

    const uint8_t* info = header + kFileHeaderSize;
    auto width = static_cast<int32_t>(U32(info + 4));
    auto rawHeight = static_cast<int32_t>(U32(info + 8));
    uint16_t planes = U16(info + 12);
    uint16_t bitCount = U16(info + 14);
    uint32_t compression = U32(info + 16);
    uint32_t colorsUsed = U32(info + 32);
    if (planes != 1) Invalid("plane count is not 1");
    if (bitCount != 8 && bitCount != 24) Invalid("only 8-bit and 24-bit pixels are supported");
    if (compression != kBiRgb) Invalid("compressed pixels are not supported");

    bool topDown = rawHeight < 0;
    int64_t height = topDown ? -int64_t{rawHeight} : int64_t{rawHeight};
    if (width < 0) Invalid("negative width");
    if (width > kMaxBitmapSide || height > kMaxBitmapSide ||
        int64_t{width} * height > kMaxBitmapPixels)
        Invalid("the picture is too large");

    uint64_t colors = 0;
    if (bitCount == 8) {
        colors = colorsUsed == 0 ? 256 : colorsUsed;
        if (colors > 256) Invalid("more than 256 palette colours");
    }
    uint64_t paletteStart = kFileHeaderSize + uint64_t{infoSize};
    uint64_t stride = Stride(static_cast<uint64_t>(width), bitCount);
    if (paletteStart + colors * 4 > offBits) Invalid("the pixels overlap the headers");
    if (uint64_t{offBits} + stride * static_cast<uint64_t>(height) >
        static_cast<uint64_t>(available))
        Invalid("the file is truncated");

    TBitmap result;
    result.pixelFormat_ = bitCount == 8 ? TPixelFormat::pf8bit : TPixelFormat::pf24bit;
    if (bitCount == 8) {
        std::vector<uint8_t> table(colors * 4);
        stream.ReadBuffer(table.data(), static_cast<int64_t>(table.size()));
        for (uint64_t i = 0; i < colors; ++i)
            result.palette_.push_back(uint32_t{table[i * 4 + 2]} | uint32_t{table[i * 4 + 1]} << 8 |
                                      uint32_t{table[i * 4]} << 16);
    }
    result.width_ = width;
    result.height_ = static_cast<int>(height);
    result.pixels_.resize(static_cast<size_t>(result.RowBytes()) * result.height_);

    stream.SetPosition(start + offBits);
    std::vector<uint8_t> row(stride);
    for (int64_t i = 0; i < height && !result.Empty(); ++i) {
        stream.ReadBuffer(row.data(), static_cast<int64_t>(stride));
        int y = static_cast<int>(topDown ? i : height - 1 - i);
        std::memcpy(result.ScanLine(y), row.data(), static_cast<size_t>(result.RowBytes()));
    }
    Swap(result);
    SetPaletteModified(true);
    Changed();
}

void TBitmap::WriteBmp(TStream& stream) const {
    if (Empty()) return;
    int bitCount = pixelFormat_ == TPixelFormat::pf8bit ? 8 : 24;
    uint64_t colors = pixelFormat_ == TPixelFormat::pf8bit ? palette_.size() : 0;
    uint64_t stride = Stride(static_cast<uint64_t>(width_), bitCount);
    uint64_t offBits = kFileHeaderSize + kInfoHeaderSize + colors * 4;
    uint64_t imageSize = stride * static_cast<uint64_t>(height_);

    std::vector<uint8_t> out(offBits + imageSize);
    uint8_t* p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    PutU32(p + 2, static_cast<uint32_t>(out.size()));
    PutU32(p + 10, static_cast<uint32_t>(offBits));
    uint8_t* info = p + kFileHeaderSize;
    PutU32(info, kInfoHeaderSize);
    PutU32(info + 4, static_cast<uint32_t>(width_));
    PutU32(info + 8, static_cast<uint32_t>(height_));
    PutU16(info + 12, 1);
    PutU16(info + 14, static_cast<uint16_t>(bitCount));
    PutU32(info + 16, kBiRgb);
    PutU32(info + 20, static_cast<uint32_t>(imageSize));
    PutU32(info + 32, static_cast<uint32_t>(colors));
    uint8_t* table = info + kInfoHeaderSize;
    for (uint64_t i = 0; i < colors; ++i) {
        table[i * 4] = static_cast<uint8_t>(palette_[i] >> 16);
        table[i * 4 + 1] = static_cast<uint8_t>(palette_[i] >> 8);
        table[i * 4 + 2] = static_cast<uint8_t>(palette_[i]);
    }
    for (int y = 0; y < height_; ++y)
        std::memcpy(p + offBits + stride * static_cast<uint64_t>(height_ - 1 - y), ScanLine(y),
                    static_cast<size_t>(RowBytes()));
    stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

} // namespace tk
