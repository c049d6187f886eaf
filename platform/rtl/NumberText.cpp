#include "rtl/NumberText.h"

#include "rtl/Exceptions.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace rtl {

const TFormatSettings& DefaultFormatSettings() {
    static const TFormatSettings settings;
    return settings;
}

std::string IntToStr(int64_t value) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

std::string UIntToStr(uint64_t value) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

int32_t StrToInt(std::string_view text) {
    const char* p = text.data();
    const char* end = p + text.size();
    bool negative = false;
    if (p != end && (*p == '-' || *p == '+')) negative = (*p++ == '-');
    int64_t v = 0;
    bool ok = p != end;
    for (; ok && p != end; ++p) {
        if (*p < '0' || *p > '9')
            ok = false;
        else if ((v = v * 10 + (*p - '0')) > int64_t(std::numeric_limits<int32_t>::max()) + 1)
            ok = false;
    }
    if (ok) {
        if (negative) v = -v;
        if (v <= std::numeric_limits<int32_t>::max()) return int32_t(v);
    }
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

std::string FloatToStr(double value, const TFormatSettings& fs) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0) return "0";
    // 15 significant digits, correctly rounded: d.dddddddddddddde[+-]x
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    std::string_view s(buf, size_t(r.ptr - buf));
    bool negative = s[0] == '-';
    if (negative) s.remove_prefix(1);
    std::string digits;
    digits += s[0];
    size_t e = s.find('e');
    digits.append(s.substr(2, e - 2));
    int exponent = 0;
    std::string_view exp = s.substr(e + 1);
    if (exp[0] == '+') exp.remove_prefix(1);
    std::from_chars(exp.data(), exp.data() + exp.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out;
    if (negative) out += '-';
    if (exponent >= 15 || exponent < -4) {
        out += digits[0];
        if (digits.size() > 1) {
            out += fs.DecimalSeparator;
            out.append(digits, 1);
        }
        out += 'E';
        out += IntToStr(exponent);
    } else if (exponent < 0) {
        out += '0';
        out += fs.DecimalSeparator;
        out.append(size_t(-exponent - 1), '0');
        out += digits;
    } else {
        size_t intDigits = size_t(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits;
            out.append(intDigits - digits.size(), '0');
        } else {
            out.append(digits, 0, intDigits);
            out += fs.DecimalSeparator;
            out.append(digits, intDigits);
        }
    }
    return out;
}

bool TryStrToFloat(std::string_view text, double& value, const TFormatSettings& fs) {
    size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    std::string norm;
    norm.reserve(e - b);
    size_t i = b;
    if (i < e && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') norm += '-';
        ++i;
    }
    int mantissaDigits = 0;
    bool seenPoint = false;
    for (; i < e; ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            norm += c;
            ++mantissaDigits;
        } else if (c == fs.DecimalSeparator && !seenPoint) {
            norm += '.';
            seenPoint = true;
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return false;
    if (i < e && (text[i] == 'e' || text[i] == 'E')) {
        norm += 'e';
        ++i;
        if (i < e && (text[i] == '+' || text[i] == '-')) norm += text[i++];
        int expDigits = 0;
        for (; i < e && text[i] >= '0' && text[i] <= '9'; ++i, ++expDigits) norm += text[i];
        if (expDigits == 0) return false;
    }
    if (i != e) return false;
    double v = 0;
    auto r = std::from_chars(norm.data(), norm.data() + norm.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // Beyond the double range: overflow reads as infinity, underflow as zero.
        bool neg = norm[0] == '-';
        size_t ePos = norm.find('e');
        bool tiny = ePos != std::string::npos && norm[ePos + 1] == '-';
        v = tiny ? (neg ? -0.0 : 0.0) : (neg ? -HUGE_VAL : HUGE_VAL);
    } else if (r.ec != std::errc() || r.ptr != norm.data() + norm.size()) {
        return false;
    }
    value = v;
    return true;
}

double StrToFloat(std::string_view text, const TFormatSettings& fs) {
    double v;
    if (!TryStrToFloat(text, v, fs))
        throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return v;
}

} // namespace rtl
