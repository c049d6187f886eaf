#include "rtl/Format.h"

#include "rtl/Exceptions.h"
#include "rtl/NumberText.h"

#include <cstdio>

namespace rtl {

std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args) {
    std::string out;
    out.reserve(pattern.size() + 32);
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (++i == pattern.size())
            throw EConvertError("Format '" + std::string(pattern) +
                                "' invalid or incompatible with argument");
        char d = pattern[i];
        if (d == '%') {
            out += '%';
            continue;
        }
        if (next == args.end())
            throw EConvertError("Format '" + std::string(pattern) +
                                "' invalid or incompatible with argument");
        const FormatArg& a = *next++;
        switch (d) {
        case 's':
            if (auto* s = std::get_if<std::string_view>(&a))
                out += *s;
            else if (auto* n = std::get_if<int64_t>(&a))
                out += IntToStr(*n);
            else
                out += UIntToStr(std::get<uint64_t>(a));
            break;
        case 'd':
        case 'u':
        case 'x': {
            if (std::holds_alternative<std::string_view>(a))
                throw EConvertError("Format '" + std::string(pattern) +
                                    "' invalid or incompatible with argument");
            if (d == 'x') {
                uint64_t v = std::holds_alternative<int64_t>(a) ? uint64_t(std::get<int64_t>(a))
                                                                : std::get<uint64_t>(a);
                char buf[24];
                std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(v));
                out += buf;
            } else if (auto* n = std::get_if<int64_t>(&a)) {
                out += IntToStr(*n);
            } else {
                out += UIntToStr(std::get<uint64_t>(a));
            }
            break;
        }
        default:
            throw EConvertError("Format '" + std::string(pattern) +
                                "' invalid or incompatible with argument");
        }
    }
    return out;
}

} // namespace rtl
