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
