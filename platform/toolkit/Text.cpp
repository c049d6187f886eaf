#include "Text.h"

#include "rtl/AnsiText.h"

#include <algorithm>

namespace tk {

QString AnsiToQString(std::string_view text) {
    // Latin-1 and the 8-bit code page differ only in bytes 0x80 to 0x9F.
    bool latin1 = std::none_of(text.begin(), text.end(), [](char c) {
        auto b = static_cast<unsigned char>(c);
        return b >= 0x80 && b < 0xA0;
    });
    if (latin1) return QString::fromLatin1(text.data(), qsizetype(text.size()));
    std::u16string wide = rtl::AnsiToWide(text);
    return QString::fromUtf16(wide.data(), qsizetype(wide.size()));
}

std::string QStringToAnsi(const QString& text) {
    return rtl::WideToAnsi(
        std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size())));
}

} // namespace tk
