#include "com/Bstr.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace com {

// Layout: a 4-byte byte count, then the characters, then a terminating zero.
BSTR SysAllocString(std::u16string_view text) {
    size_t bytes = text.size() * sizeof(char16_t);
    if (bytes > UINT32_MAX - 8) throw std::bad_alloc();
    auto* block = static_cast<char*>(std::malloc(sizeof(uint32_t) + bytes + sizeof(char16_t)));
    if (!block) throw std::bad_alloc();
    uint32_t len = uint32_t(bytes);
    std::memcpy(block, &len, sizeof len);
    auto* chars = reinterpret_cast<char16_t*>(block + sizeof(uint32_t));
    if (bytes) std::memcpy(chars, text.data(), bytes);
    chars[text.size()] = 0;
    return chars;
}

void SysFreeString(BSTR text) {
    if (text) std::free(reinterpret_cast<char*>(text) - sizeof(uint32_t));
}

uint32_t SysStringLen(const char16_t* text) {
    if (!text) return 0;
    uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<const char*>(text) - sizeof(uint32_t), sizeof bytes);
    return bytes / sizeof(char16_t);
}

std::u16string_view BstrView(const char16_t* text) {
    return text ? std::u16string_view(text, SysStringLen(text)) : std::u16string_view();
}

} // namespace com
