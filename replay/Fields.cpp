#include "Fields.h"

#include <charconv>
#include <cmath>

namespace replay {

size_t SplitFields(std::string_view line, std::string_view* fields) {
    size_t count = 0;
    size_t at = 0;
    for (;;) {
        size_t end = at;
        if (end < line.size() && line[end] == '"') {
            for (++end; end < line.size(); ++end) {
                if (line[end] != '"') continue;
                if (end + 1 < line.size() && line[end + 1] == '"')
                    ++end;
                else
                    break;
            }
            if (end < line.size()) ++end;
            while (end < line.size() && line[end] != ',') ++end;
        } else {
            // Fields are short: a plain loop beats a library search per field.
            while (end < line.size() && line[end] != ',') ++end;
        }
        if (count == MaxFields) return MaxFields + 1;
        fields[count++] = line.substr(at, end - at);
        if (end >= line.size()) return count;
        at = end + 1;
    }
}

namespace {

// A plain decimal of at most 15 digits, [-]digits[.digits]: its digits make an integer below
// 2^53 and its fraction a power of ten up to 1e15, both exact doubles, so one division rounds
// the value correctly. Recordings write prices this way; anything else is left to from_chars.
bool ShortDecimal(std::string_view text, double& value) {
    static constexpr double PowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    i += negative;
    uint64_t digits = 0;
    int count = 0, fraction = -1;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            digits = digits * 10 + uint64_t(c - '0');
            ++count;
            if (fraction >= 0) ++fraction;
        } else if (c == '.' && fraction < 0 && count > 0) {
            fraction = 0;
        } else {
            return false;
        }
    }
    if (count == 0 || count > 15 || fraction == 0) return false;
    const double magnitude = fraction > 0 ? double(digits) / PowersOfTen[fraction] : double(digits);
    value = negative ? -magnitude : magnitude;
    return true;
}

} // namespace

bool ParseDouble(std::string_view text, double& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (ShortDecimal(text, value)) return true;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParseInt64(std::string_view text, int64_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParseInt32(std::string_view text, int32_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParseUInt32(std::string_view text, uint32_t& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += char16_t(c);
    } else {
        c -= 0x10000;
        out += char16_t(0xD800 + (c >> 10));
        out += char16_t(0xDC00 + (c & 0x3FF));
    }
}

// Decodes UTF-8 (a lone or broken byte reads as U+FFFD) into UTF-16.
void DecodeUtf8(std::string_view in, std::u16string& out) {
    size_t ascii = 0;
    while (ascii < in.size() && static_cast<unsigned char>(in[ascii]) < 0x80) ++ascii;
    out.append(in.begin(), in.begin() + ascii); // the usual case, at once
    for (size_t i = ascii; i < in.size();) {
        const unsigned char b = in[i];
        if (b < 0x80) {
            out += char16_t(b);
            ++i;
            continue;
        }
        const int extra = b >= 0xF0 && b < 0xF8   ? 3
                          : b >= 0xE0             ? 2
                          : b >= 0xC2 && b < 0xE0 ? 1
                                                  : -1;
        char32_t c = extra == 3 ? b & 0x07 : extra == 2 ? b & 0x0F : b & 0x1F;
        bool ok = extra > 0;
        for (int k = 1; ok && k <= extra; ++k) {
            if (i + size_t(k) >= in.size() || (in[i + k] & 0xC0) != 0x80)
                ok = false;
            else
                c = (c << 6) | (in[i + k] & 0x3F);
        }
        static constexpr char32_t Least[] = {0, 0x80, 0x800, 0x10000}; // shorter forms are invalid
        if (!ok || c < Least[extra] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) {
            out += char16_t(0xFFFD);
            ++i;
            continue;
        }
        AppendUtf16(out, c);
        i += size_t(extra) + 1;
    }
}

int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

void AppendText(std::string& out, std::u16string_view text) {
    bool quote = false;
    for (char16_t c : text)
        if (c < 0x20 || c == ',' || c == '"' || c == '\\') quote = true;
    if (quote) out += '"';
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c == '"') {
            out += "\"\"";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c < 0x20) {
            static constexpr char Digits[] = "0123456789ABCDEF";
            out += "\\x";
            out += Digits[c >> 4];
            out += Digits[c & 15];
        } else {
            AppendUtf8(out, c);
        }
    }
    if (quote) out += '"';
}

bool ParseText(std::string_view field, std::u16string& text) {
    text.clear();
    if (field.empty() || field.front() != '"') {
        // The usual field: plain ASCII, widened at once.
        bool plain = true;
        for (const char c : field)
            plain = plain && static_cast<unsigned char>(c) < 0x80 && c != '"' && c != '\\';
        if (plain) {
            text.assign(field.begin(), field.end());
            return true;
        }
        if (field.find_first_of("\"\\") != std::string_view::npos) return false;
        DecodeUtf8(field, text);
        return true;
    }
    if (field.size() < 2 || field.back() != '"') return false;
    field = field.substr(1, field.size() - 2);
    std::string plain;
    for (size_t i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '"') {
            if (i + 1 >= field.size() || field[i + 1] != '"') return false;
            ++i;
        } else if (c == '\\') {
            if (i + 1 < field.size() && field[i + 1] == '\\') {
                ++i;
            } else if (i + 3 < field.size() && field[i + 1] == 'x' && Hex(field[i + 2]) >= 0 &&
                       Hex(field[i + 3]) >= 0) {
                plain += char(Hex(field[i + 2]) * 16 + Hex(field[i + 3]));
                i += 3;
                continue;
            } else {
                return false;
            }
        }
        plain += c;
    }
    DecodeUtf8(plain, text);
    return true;
}

namespace {

// Days since 1 January 1970 of a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool Digits(std::string_view text, size_t at, size_t count, int64_t& value) {
    if (at + count > text.size()) return false;
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

bool Compose(int64_t y, int64_t mo, int64_t d, int64_t h, int64_t mi, int64_t s, int64_t us,
             int64_t& out) {
    static constexpr int MonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > MonthDays[mo - 1] || h > 23 || mi > 59 || s > 59)
        return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (mo == 2 && d == 29 && !leap) return false;
    out = ((DaysFromCivil(y, mo, d) * 24 + h) * 60 + mi) * 60 * 1000000 + s * 1000000 + us;
    return true;
}

// A fraction of a second of 1 to 9 digits after a point at text[at], to microseconds.
bool Fraction(std::string_view text, size_t& at, int64_t& us) {
    us = 0;
    if (at >= text.size() || text[at] != '.') return true;
    size_t n = 0;
    for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++n) {
        if (n < 6) us = us * 10 + (text[at] - '0');
    }
    if (n == 0 || n > 9) return false;
    for (; n < 6; ++n) us *= 10;
    return true;
}

} // namespace

bool ParseDottedTime(std::string_view t, int64_t& us) {
    int64_t d, mo, y, h, mi, s, frac;
    if (t.size() < 19 || !Digits(t, 0, 2, d) || t[2] != '.' || !Digits(t, 3, 2, mo) ||
        t[5] != '.' || !Digits(t, 6, 4, y) || t[10] != ' ' || !Digits(t, 11, 2, h) ||
        t[13] != ':' || !Digits(t, 14, 2, mi) || t[16] != ':' || !Digits(t, 17, 2, s))
        return false;
    size_t at = 19;
    return Fraction(t, at, frac) && at == t.size() && Compose(y, mo, d, h, mi, s, frac, us);
}

bool ParseCompactTime(std::string_view t, int64_t& us) {
    int64_t y, mo, d, h, mi, s, ms = 0;
    if ((t.size() != 15 && t.size() != 18) || !Digits(t, 0, 4, y) || !Digits(t, 4, 2, mo) ||
        !Digits(t, 6, 2, d) || t[8] != ' ' || !Digits(t, 9, 2, h) || !Digits(t, 11, 2, mi) ||
        !Digits(t, 13, 2, s) || (t.size() == 18 && !Digits(t, 15, 3, ms)))
        return false;
    return Compose(y, mo, d, h, mi, s, ms * 1000, us);
}

bool ParseIsoTime(std::string_view t, int64_t& us) {
    int64_t y, mo, d, h, mi, s, frac;
    if (t.size() < 19 || !Digits(t, 0, 4, y) || t[4] != '-' || !Digits(t, 5, 2, mo) ||
        t[7] != '-' || !Digits(t, 8, 2, d) || (t[10] != 'T' && t[10] != ' ') ||
        !Digits(t, 11, 2, h) || t[13] != ':' || !Digits(t, 14, 2, mi) || t[16] != ':' ||
        !Digits(t, 17, 2, s))
        return false;
    size_t at = 19;
    if (!Fraction(t, at, frac) || !Compose(y, mo, d, h, mi, s, frac, us)) return false;
    if (at == t.size()) return true;
    if (t[at] == 'Z') return at + 1 == t.size();
    if (t[at] != '+' && t[at] != '-') return false;
    const int64_t sign = t[at] == '+' ? 1 : -1;
    int64_t oh, om;
    const std::string_view zone = t.substr(at + 1);
    if (zone.size() == 5 ? !(Digits(zone, 0, 2, oh) && zone[2] == ':' && Digits(zone, 3, 2, om))
                         : !(zone.size() == 4 && Digits(zone, 0, 2, oh) && Digits(zone, 2, 2, om)))
        return false;
    if (oh > 23 || om > 59) return false;
    us -= sign * (oh * 60 + om) * 60 * 1000000;
    return true;
}

} // namespace replay
