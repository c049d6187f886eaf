#include "toolkit/bitmap/Graphic.h"

namespace tk {

// One read of the whole file: pictures are small next to memory, and parsing from memory
// avoids a system call per row.
void TGraphic::LoadFromFile(const std::string& fileName) {
    TMemoryStream file;
    file.LoadFromFile(fileName);
    LoadFromStream(file);
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

void TGraphic::Progress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r,
                        const std::string& message) {
    if (OnProgress) OnProgress(*this, stage, percentDone, redrawNow, r, message);
}

} // namespace tk
