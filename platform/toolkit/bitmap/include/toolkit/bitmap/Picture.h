// A holder of any kind of picture, and the registry that maps file extensions to picture
// classes so that a file opens as the right kind.
#pragma once

#include "toolkit/bitmap/Graphic.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tk {

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

// A holder of any graphic, loaded by the file extension's registered format.
class TPicture : public TPersistent {
public:
    const char* ClassName() const override { return "TPicture"; }

    // Extensions are matched without the dot and without regard to case. Registering an
    // extension again replaces its entry. "bmp" is registered for TBitmap from the start.
    static void RegisterFileFormat(std::string_view extension, std::string_view description,
                                   std::string_view className, TGraphicFactory factory);
    static void UnregisterGraphicClass(std::string_view className);
    static std::optional<std::string> FileFormatDescription(std::string_view extension);
    static std::unique_ptr<TGraphic> CreateForExtension(std::string_view extension);

    TGraphic* Graphic() const { return graphic_.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }

    // Unknown extensions raise EInvalidGraphicOperation; on any failure the picture keeps
    // what it held.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

private:
    std::unique_ptr<TGraphic> graphic_;
};

} // namespace tk
