// The base of every picture kind: size, stream and file I/O, drawing, change and progress events.
#pragma once

#include "toolkit/bitmap/Persistent.h"
#include "toolkit/bitmap/Stream.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tk {

class TBitmap;

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
};

// Colours are 0x00BBGGRR: red in the low byte.
using TPalette = std::vector<uint32_t>;

enum class TProgressStage { psStarting, psRunning, psEnding };

class TGraphic;
using TProgressEvent =
    std::function<void(TGraphic& sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                       const TRect& r, const std::string& message)>;

class TGraphic : public TPersistent {
public:
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int value) = 0;
    virtual void SetHeight(int value) = 0;
    virtual bool Equals(const TGraphic& other) const = 0;

    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    virtual void LoadFromFile(const std::string& fileName);
    // The picture is encoded in memory first, so a failure leaves no partial file behind and
    // an existing file untouched.
    virtual void SaveToFile(const std::string& fileName);

    // Property data: the picture as stored inside a component description.
    virtual void ReadData(TStream& stream) = 0;
    virtual void WriteData(TStream& stream) = 0;

    // The picture stretched into rect of the target bitmap, clipped to the target.
    virtual void Draw(TBitmap& target, const TRect& rect) = 0;

    virtual TPalette Palette() const { return {}; }
    virtual void SetPalette(const TPalette&) {}
    virtual bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);

    bool Modified() const { return modified_; }
    void SetModified(bool value) { modified_ = value; }
    bool PaletteModified() const { return paletteModified_; }
    void SetPaletteModified(bool value) { paletteModified_ = value; }

    std::function<void(TGraphic& sender)> OnChange;
    TProgressEvent OnProgress;

protected:
    virtual void Changed();
    void Progress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const TRect& r,
                  const std::string& message);

private:
    bool transparent_ = false;
    bool modified_ = false;
    bool paletteModified_ = false;
};

} // namespace tk
