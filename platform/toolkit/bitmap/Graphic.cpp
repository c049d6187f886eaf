#include "toolkit/bitmap/Graphic.h"

#include "rtl/Exceptions.h"
#include "rtl/Format.h"

namespace tk {

namespace {

// Far above any picture the bitmap and JPEG classes accept; keeps a wrong file name from
// reading gigabytes into memory.
constexpr int64_t kMaxPictureFileSize = int64_t{1} << 30;

} // namespace

// One read of the whole file: parsing from memory avoids a system call per row.
void TGraphic::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, TFileMode::fmOpenRead);
    int64_t size = file.Size();
    if (size > kMaxPictureFileSize)
        throw rtl::EInvalidGraphicOperation(
            rtl::Format("Picture file \"%s\" is too large", {fileName}));
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.ReadBuffer(bytes.data(), size);
    TMemoryStream data(std::move(bytes));
    LoadFromStream(data);
}

void TGraphic::SaveToFile(const std::string& fileName) {
    TMemoryStream encoded;
    SaveToStream(encoded);
    encoded.SaveToFile(fileName);
}

void TGraphic::ReadData(TStream& stream) {
    uint8_t count[4];
    stream.ReadBuffer(count, 4);
    const int64_t size = int64_t{count[0]} | int64_t{count[1]} << 8 | int64_t{count[2]} << 16 |
                         int64_t{count[3]} << 24;
    if (size > stream.Remaining()) throw rtl::EInOutError("Stream read error");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    stream.ReadBuffer(bytes.data(), size);
    TMemoryStream data(std::move(bytes));
    LoadFromStream(data);
}

void TGraphic::WriteData(TStream& stream) {
    TMemoryStream data;
    SaveToStream(data);
    const auto size = static_cast<uint32_t>(data.Size());
    const uint8_t count[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                              static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
    stream.WriteBuffer(count, 4);
    if (size > 0) stream.WriteBuffer(data.Memory(), data.Size());
}

void TGraphic::SetTransparent(bool value) {
    if (value == transparent_) return;
    transparent_ = value;
    Changed();
}

void TGraphic::Changed() {
    modified_ = true;
    if (OnChange) OnChange(*this);
}

void TGraphic::Progress(TProgressStage stage, uint8_t percentDone, bool redrawNow,
                        const gfx::TRect& r, const std::string& message) {
    if (OnProgress) OnProgress(*this, stage, percentDone, redrawNow, r, message);
}

} // namespace tk
