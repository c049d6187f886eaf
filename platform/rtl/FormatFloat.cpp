#include "rtl/FormatFloat.h"

#include "rtl/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace rtl {

namespace {

enum class TokenKind { Zero, Hash, Point, Exponent, Literal };

struct Token {
    TokenKind Kind;
    std::string Text; // literal text, or the exponent letter and sign character
};

// One section of a pattern, read once into its tokens and digit counts.
struct Section {
    std::vector<Token> Tokens;
    bool Grouping = false;
    bool Scientific = false;
    int IntPlaces = 0;   // '0' and '#' before the decimal point
    int IntMinimum = 0;  // places from the first integer '0' to the point
    int IntZeros = 0;    // '0' places before the point
    int FracMinimum = 0; // places up to the last fraction '0'
    int FracMaximum = 0; // all fraction places
    int ExpDigits = 0;
    bool HasPlaces() const { return IntPlaces + FracMaximum > 0; }
};

std::vector<std::string_view> SplitSections(std::string_view pattern) {
    std::vector<std::string_view> sections;
    size_t start = 0;
    char quote = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            sections.push_back(pattern.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(pattern.substr(start));
    return sections;
}

Section ParseSection(std::string_view text) {
    Section s;
    bool afterPoint = false;
    auto literal = [&](std::string_view piece) {
        if (!s.Tokens.empty() && s.Tokens.back().Kind == TokenKind::Literal)
            s.Tokens.back().Text.append(piece);
        else
            s.Tokens.push_back({TokenKind::Literal, std::string(piece)});
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\'' || c == '"') {
            size_t close = text.find(c, i + 1);
            if (close == std::string_view::npos) close = text.size();
            literal(text.substr(i + 1, close - i - 1));
            i = close;
        } else if (c == '0' || c == '#') {
            s.Tokens.push_back({c == '0' ? TokenKind::Zero : TokenKind::Hash, {}});
            if (afterPoint) {
                ++s.FracMaximum;
                if (c == '0') s.FracMinimum = s.FracMaximum;
            } else {
                ++s.IntPlaces;
                if (c == '0') {
                    ++s.IntZeros;
                    if (s.IntMinimum == 0)
                        s.IntMinimum = 1;
                    else
                        ++s.IntMinimum;
                } else if (s.IntMinimum > 0) {
                    ++s.IntMinimum;
                }
            }
        } else if (c == '.' && !afterPoint && !s.Scientific) {
            afterPoint = true;
            s.Tokens.push_back({TokenKind::Point, {}});
        } else if (c == ',' && !s.Scientific) {
            if (!afterPoint) s.Grouping = true;
        } else if ((c == 'E' || c == 'e') && !s.Scientific && i + 1 < text.size() &&
                   (text[i + 1] == '+' || text[i + 1] == '-')) {
            s.Scientific = true;
            s.Tokens.push_back({TokenKind::Exponent, std::string{c, text[i + 1]}});
            i += 2;
            while (i < text.size() && text[i] == '0') {
                ++s.ExpDigits;
                ++i;
            }
            --i;
        } else {
            literal(text.substr(i, 1));
        }
    }
    return s;
}

// The magnitude as up to 15 significant decimal digits and the power of ten of the first one.
struct Decimal {
    std::string Digits; // no leading zeros; empty for zero
    int Exponent = 0;
};

Decimal ToDecimal(double magnitude) {
    Decimal d;
    if (magnitude == 0) return d;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", magnitude);
    std::string_view s(buf);
    size_t e = s.find('e');
    d.Digits += s[0];
    d.Digits.append(s.substr(2, e - 2));
    d.Exponent = std::atoi(buf + e + 1);
    while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
    return d;
}

// Keeps the first `keep` significant digits, rounding half away from zero.
void RoundTo(Decimal& d, int keep) {
    if (keep >= int(d.Digits.size())) return;
    if (keep < 0) {
        d.Digits.clear();
        return;
    }
    bool up = d.Digits[size_t(keep)] >= '5';
    d.Digits.resize(size_t(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.Digits[size_t(i)] == '9') d.Digits[size_t(i--)] = '0';
        if (i >= 0) {
            ++d.Digits[size_t(i)];
        } else {
            d.Digits.insert(d.Digits.begin(), '1');
            ++d.Exponent;
        }
    }
    while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
}

struct Parts {
    std::string Int, Frac;
    int Exponent = 0;
    bool IsZero = true;
};

Parts Split(const Section& s, double magnitude) {
    Parts p;
    Decimal d = ToDecimal(magnitude);
    if (s.Scientific) {
        int intDigits = s.IntZeros > 0 ? s.IntZeros : 1;
        RoundTo(d, intDigits + s.FracMaximum);
        p.IsZero = d.Digits.empty();
        std::string digits = d.Digits;
        digits.resize(size_t(intDigits + s.FracMaximum), '0');
        p.Int = digits.substr(0, size_t(intDigits));
        p.Frac = digits.substr(size_t(intDigits));
        p.Exponent = p.IsZero ? 0 : d.Exponent - (intDigits - 1);
    } else {
        RoundTo(d, d.Exponent + 1 + s.FracMaximum);
        p.IsZero = d.Digits.empty();
        if (!p.IsZero) {
            if (d.Exponent >= 0) {
                std::string digits = d.Digits;
                if (int(digits.size()) < d.Exponent + 1) digits.resize(size_t(d.Exponent + 1), '0');
                p.Int = digits.substr(0, size_t(d.Exponent + 1));
                p.Frac = digits.substr(size_t(d.Exponent + 1));
            } else {
                p.Frac = std::string(size_t(-d.Exponent - 1), '0') + d.Digits;
            }
        }
        p.Frac.resize(size_t(s.FracMaximum), '0');
        if (int(p.Int.size()) < s.IntMinimum)
            p.Int.insert(0, size_t(s.IntMinimum) - p.Int.size(), '0');
    }
    while (int(p.Frac.size()) > s.FracMinimum && p.Frac.back() == '0') p.Frac.pop_back();
    return p;
}

std::string Render(const Section& s, const Parts& p, bool minus, const TFormatSettings& fs) {
    std::string out;
    if (minus) out += '-';
    const std::string& digits = p.Int;
    const int length = int(digits.size());
    auto emitDigit = [&](int j) {
        out += digits[size_t(j)];
        int rest = length - 1 - j;
        if (s.Grouping && !s.Scientific && rest > 0 && rest % 3 == 0) out += fs.ThousandSeparator;
    };
    auto emitAllInt = [&] {
        for (int j = 0; j < length; ++j) emitDigit(j);
    };
    int intSeen = 0, fracSeen = 0;
    bool afterPoint = false, intWritten = s.IntPlaces > 0;
    for (const Token& t : s.Tokens) {
        switch (t.Kind) {
        case TokenKind::Zero:
        case TokenKind::Hash:
            if (!afterPoint) {
                int idx = length - s.IntPlaces + intSeen++;
                if (intSeen == 1)
                    for (int j = 0; j < idx; ++j) emitDigit(j);
                if (idx >= 0) emitDigit(idx);
            } else {
                if (!intWritten) {
                    emitAllInt();
                    intWritten = true;
                }
                if (fracSeen < int(p.Frac.size())) out += p.Frac[size_t(fracSeen)];
                ++fracSeen;
            }
            break;
        case TokenKind::Point:
            afterPoint = true;
            if (!intWritten) {
                emitAllInt();
                intWritten = true;
            }
            if (!p.Frac.empty()) out += fs.DecimalSeparator;
            break;
        case TokenKind::Exponent: {
            out += t.Text[0];
            if (p.Exponent < 0)
                out += '-';
            else if (t.Text[1] == '+')
                out += '+';
            std::string e = IntToStr(std::abs(p.Exponent));
            if (int(e.size()) < s.ExpDigits) e.insert(0, size_t(s.ExpDigits) - e.size(), '0');
            out += e;
            break;
        }
        case TokenKind::Literal:
            out += t.Text;
            break;
        }
    }
    return out;
}

} // namespace

std::string FormatFloat(std::string_view pattern, double value, const TFormatSettings& fs) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (pattern.empty()) return FloatToStr(value, fs);

    std::vector<std::string_view> sections = SplitSections(pattern);
    auto usable = [&](size_t i) { return i < sections.size() && !sections[i].empty(); };

    bool negative = std::signbit(value) && value != 0;
    size_t chosen = negative && usable(1) ? 1 : 0;
    if (value == 0 && usable(2)) chosen = 2;
    Section s = ParseSection(sections[chosen]);
    if (!s.HasPlaces()) return Render(s, Parts{}, false, fs);
    Parts p = Split(s, std::fabs(value));
    if (p.IsZero && chosen != 2 && usable(2)) {
        Section zero = ParseSection(sections[2]);
        return Render(zero, Split(zero, 0.0), false, fs);
    }
    return Render(s, p, negative && chosen == 0 && !p.IsZero, fs);
}

} // namespace rtl
