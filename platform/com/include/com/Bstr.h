// Wide strings with a length prefix. A null BSTR reads as empty text.
#pragma once

#include <string>
#include <string_view>

namespace com {

using BSTR = char16_t*;

BSTR SysAllocString(std::u16string_view text);
void SysFreeString(BSTR text);
uint32_t SysStringLen(const char16_t* text);
std::u16string_view BstrView(const char16_t* text);

// Owns one BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::u16string_view text) : p_(SysAllocString(text)) {}
    Bstr(const Bstr& other) : p_(other.p_ ? SysAllocString(BstrView(other.p_)) : nullptr) {}
    Bstr(Bstr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    Bstr& operator=(Bstr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~Bstr() { SysFreeString(p_); }
    BSTR get() const { return p_; }
    std::u16string_view view() const { return BstrView(p_); }

private:
    BSTR p_ = nullptr;
};

} // namespace com
