// The base of every picture kind: size, stream and file I/O, drawing, change and progress events.
#pragma once

#include "gfx/Color.h"
#include "gfx/Geometry.h"
#include "toolkit/bitmap/Persistent.h"
#include "toolkit/bitmap/Stream.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tk {

class TBitmap;

using TPalette = std::vector<gfx::TColor>;

enum class TProgressStage { psStarting, psRunning, psEnding };

class TGraphic;
using TProgressEvent =
    std::function<void(TGraphic& sender, TProgressStage stage, uint8_t percentDone, bool redrawNow,
                       const gfx::TRect& r, const std::string& message)>;

// The base of pictures that can be loaded, saved and drawn.
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

    // Property data: the picture as stored inside a component description, its stream bytes
    // after their count (32 bits, little-endian). A count beyond the stream raises
    // rtl::EInOutError before anything is read.
    void ReadData(TStream& stream);
    void WriteData(TStream& stream);

    // The picture stretched into rect of the target bitmap, clipped to the target.
    virtual void Draw(TBitmap& target, const gfx::TRect& rect) = 0;

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
    void Progress(TProgressStage stage, uint8_t percentDone, bool redrawNow, const gfx::TRect& r,
                  const std::string& message);

private:
    bool transparent_ = false;
    bool modified_ = false;
    bool paletteModified_ = false;
};

} // namespace tk
