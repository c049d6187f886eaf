#include "toolkit/bitmap/Picture.h"

#include "toolkit/bitmap/Bitmap.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <vector>

namespace tk {

namespace {

struct FileFormat {
    std::string extension;
    std::string description;
    std::string className;
    TGraphicFactory factory;
};

std::string Lower(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

// The formats every picture knows; other libraries add theirs when the program starts.
struct Registry {
    std::mutex mutex;
    std::vector<FileFormat> formats{
        {"bmp", "Bitmaps", "TBitmap", [] { return std::make_unique<TBitmap>(); }}};

    static Registry& Instance() {
        static Registry registry;
        return registry;
    }
    const FileFormat* Find(const std::string& extension) const {
        auto it = std::find_if(formats.begin(), formats.end(),
                               [&](const FileFormat& f) { return f.extension == extension; });
        return it == formats.end() ? nullptr : &*it;
    }
};

std::string ExtensionOf(const std::string& fileName) {
    size_t dot = fileName.find_last_of('.');
    size_t slash = fileName.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return fileName.substr(dot + 1);
}

} // namespace

void TPicture::RegisterFileFormat(std::string_view extension, std::string_view description,
                                  std::string_view className, TGraphicFactory factory) {
    Registry& registry = Registry::Instance();
    std::lock_guard lock(registry.mutex);
    std::string key = Lower(extension);
    std::erase_if(registry.formats, [&](const FileFormat& f) { return f.extension == key; });
    registry.formats.push_back(
        {key, std::string(description), std::string(className), std::move(factory)});
}

void TPicture::UnregisterGraphicClass(std::string_view className) {
    Registry& registry = Registry::Instance();
    std::lock_guard lock(registry.mutex);
    std::erase_if(registry.formats, [&](const FileFormat& f) { return f.className == className; });
}

std::optional<std::string> TPicture::FileFormatDescription(std::string_view extension) {
    Registry& registry = Registry::Instance();
    std::lock_guard lock(registry.mutex);
    const FileFormat* format = registry.Find(Lower(extension));
    if (!format) return std::nullopt;
    return format->description;
}

std::unique_ptr<TGraphic> TPicture::CreateForExtension(std::string_view extension) {
    TGraphicFactory factory;
    {
        Registry& registry = Registry::Instance();
        std::lock_guard lock(registry.mutex);
        const FileFormat* format = registry.Find(Lower(extension));
        if (!format)
            throw rtl::EInvalidGraphicOperation(
                rtl::Format("Unknown picture file extension (.%s)", {extension}));
        factory = format->factory;
    }
    return factory();
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    graphic_ = std::move(graphic);
}

void TPicture::LoadFromFile(const std::string& fileName) {
    std::unique_ptr<TGraphic> graphic = CreateForExtension(ExtensionOf(fileName));
    graphic->LoadFromFile(fileName);
    graphic_ = std::move(graphic);
}

void TPicture::SaveToFile(const std::string& fileName) {
    if (graphic_) graphic_->SaveToFile(fileName);
}

} // namespace tk
