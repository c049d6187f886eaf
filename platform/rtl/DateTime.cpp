#include "rtl/DateTime.h"

#include "rtl/Exceptions.h"
#include "rtl/NumberText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ctime>

namespace rtl {

namespace {

constexpr int kDaysToEpoch = 693594; // days from 0001-01-01 (day 1) to 1899-12-30

const char* const kShortMonth[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonth[] = {"January",   "February", "March",    "April",
                                  "May",       "June",     "July",     "August",
                                  "September", "October",  "November", "December"};
const char* const kShortDay[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDay[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                "Thursday", "Friday", "Saturday"};

void AppendNumber(std::string& out, int value, int minDigits) {
    std::string s = IntToStr(value);
    if (int(s.size()) < minDigits) out.append(size_t(minDigits) - s.size(), '0');
    out += s;
}

} // namespace

bool IsLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool IsValidDateTime(TDateTime value) {
    // The date is the integer part toward zero, so 1 January of year 1 is every value from
    // MinDateTime down to (not including) MinDateTime - 1: its time of day counts backwards.
    return std::isfinite(value) && value > MinDateTime - 1 && value < MaxDateTime + 1;
}

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month))
        return false;
    int y = year - 1;
    long days = long(y) * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
    days += day;
    out = double(days - kDaysToEpoch);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime t;
    if (!TryEncodeDate(year, month, day, t)) throw EConvertError("Invalid argument to date encode");
    return t;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        msec < 0 || msec > 999)
        return false;
    out = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    TDateTime t;
    if (!TryEncodeTime(hour, minute, second, msec, t))
        throw EConvertError("Invalid argument to time encode");
    return t;
}

DateParts DecodeDateTime(TDateTime value) {
    if (!IsValidDateTime(value))
        throw EConvertError("'" + FloatToStr(value) + "' is not a valid date and time");
    double whole = std::trunc(value);
    long ms = std::lround(std::fabs(value - whole) * MSecsPerDay);
    long day = long(whole) + kDaysToEpoch; // 1 = 0001-01-01
    if (ms >= long(MSecsPerDay)) {         // rounding reached midnight: it belongs to the next day
        ms -= long(MSecsPerDay);
        ++day;
    }
    DateParts p;
    // Civil date from a day count (proleptic Gregorian).
    long n = day - 1;
    int y400 = int(n / 146097);
    n %= 146097;
    int y100 = int(n / 36524);
    if (y100 == 4) y100 = 3;
    n -= long(y100) * 36524;
    int y4 = int(n / 1461);
    n %= 1461;
    int y1 = int(n / 365);
    if (y1 == 4) y1 = 3;
    n -= long(y1) * 365;
    p.Year = y400 * 400 + y100 * 100 + y4 * 4 + y1 + 1;
    if (p.Year > 9999) { // the carried midnight of 9999-12-31 has no date to go to
        p.Year = 9999;
        p.Month = 12;
        p.Day = 31;
        p.Hour = 23;
        p.Minute = 59;
        p.Second = 59;
        p.MSec = 999;
        return p;
    }
    p.Month = 1;
    while (n >= DaysInMonth(p.Year, p.Month)) n -= DaysInMonth(p.Year, p.Month++);
    p.Day = int(n) + 1;
    p.Hour = int(ms / 3600000);
    p.Minute = int(ms / 60000 % 60);
    p.Second = int(ms / 1000 % 60);
    p.MSec = int(ms % 1000);
    return p;
}

int DayOfWeek(TDateTime value) {
    if (!IsValidDateTime(value))
        throw EConvertError("'" + FloatToStr(value) + "' is not a valid date and time");
    // 1899-12-30 was a Saturday.
    long d = long(std::trunc(value)); // the date part, as DecodeDateTime takes it
    return int(((d % 7) + 7 + 6) % 7) + 1;
}

TDateTime Now() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    localtime_r(&ts.tv_sec, &local);
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59),
                      int(ts.tv_nsec / 1000000));
}

namespace {

void AppendFormat(std::string& out, std::string_view f, const DateParts& p, TDateTime value,
                  const TFormatSettings& fs, int depth) {
    char lastToken = ' ';
    size_t i = 0;
    auto count = [&](char lower) {
        size_t n = 0;
        while (i + n < f.size() && std::tolower(static_cast<unsigned char>(f[i + n])) == lower) ++n;
        return n;
    };
    auto startsWith = [&](std::string_view s) {
        if (f.size() - i < s.size()) return false;
        for (size_t k = 0; k < s.size(); ++k)
            if (std::tolower(static_cast<unsigned char>(f[i + k])) != s[k]) return false;
        return true;
    };
    while (i < f.size()) {
        char c = f[i];
        char token = char(std::toupper(static_cast<unsigned char>(c)));
        if (token >= 'A' && token <= 'Z') {
            if (token == 'M' && lastToken == 'H') token = 'N';
            lastToken = token;
        }
        switch (token) {
        case 'Y': {
            size_t n = count('y');
            i += n;
            if (n <= 2)
                AppendNumber(out, p.Year % 100, 2);
            else
                AppendNumber(out, p.Year, 4);
            break;
        }
        case 'M': {
            size_t n = count('m');
            i += n;
            if (n <= 2)
                AppendNumber(out, p.Month, int(n));
            else
                out += (n == 3 ? kShortMonth : kLongMonth)[p.Month - 1];
            break;
        }
        case 'N': {
            size_t n = count(char(std::tolower(static_cast<unsigned char>(c))));
            i += n;
            AppendNumber(out, p.Minute, n >= 2 ? 2 : 1);
            break;
        }
        case 'D': {
            size_t n = count('d');
            i += n;
            int dow = DayOfWeek(value) - 1;
            if (n <= 2)
                AppendNumber(out, p.Day, int(n));
            else if (n == 3)
                out += kShortDay[dow];
            else if (n == 4)
                out += kLongDay[dow];
            else if (depth < 2)
                AppendFormat(out, n == 5 ? fs.ShortDateFormat : fs.LongDateFormat, p, value, fs,
                             depth + 1);
            break;
        }
        case 'H': {
            size_t n = count('h');
            i += n;
            int h = p.Hour;
            // With an AM/PM marker later in the pattern the hour is on the 12-hour clock.
            std::string_view rest = f.substr(i);
            auto has = [&](std::string_view s) {
                for (size_t k = 0; k + s.size() <= rest.size(); ++k) {
                    bool eq = true;
                    for (size_t j = 0; j < s.size() && eq; ++j)
                        eq = std::tolower(static_cast<unsigned char>(rest[k + j])) == s[j];
                    if (eq) return true;
                }
                return false;
            };
            if (has("am/pm") || has("a/p") || has("ampm")) {
                h %= 12;
                if (h == 0) h = 12;
            }
            AppendNumber(out, h, n >= 2 ? 2 : 1);
            break;
        }
        case 'S': {
            size_t n = count('s');
            i += n;
            AppendNumber(out, p.Second, n >= 2 ? 2 : 1);
            break;
        }
        case 'Z': {
            size_t n = count('z');
            i += n;
            AppendNumber(out, p.MSec, n >= 3 ? 3 : 1);
            break;
        }
        case 'T': {
            size_t n = count('t');
            i += n;
            if (depth < 2)
                AppendFormat(out, n == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, p, value, fs,
                             depth + 1);
            break;
        }
        case 'C': {
            ++i;
            if (depth < 2) {
                AppendFormat(out, fs.ShortDateFormat, p, value, fs, depth + 1);
                if (p.Hour || p.Minute || p.Second || p.MSec) {
                    out += ' ';
                    AppendFormat(out, fs.LongTimeFormat, p, value, fs, depth + 1);
                }
            }
            break;
        }
        case 'A': {
            bool pm = p.Hour >= 12;
            if (startsWith("am/pm")) {
                out += pm ? "pm" : "am";
                i += 5;
            } else if (startsWith("a/p")) {
                out += pm ? 'p' : 'a';
                i += 3;
            } else if (startsWith("ampm")) {
                out += pm ? fs.TimePMString : fs.TimeAMString;
                i += 4;
            } else {
                out += c;
                ++i;
            }
            break;
        }
        case '/':
            out += fs.DateSeparator;
            ++i;
            break;
        case ':':
            out += fs.TimeSeparator;
            ++i;
            break;
        case '\'':
        case '"': {
            size_t close = f.find(c, i + 1);
            if (close == std::string_view::npos) close = f.size();
            out.append(f.substr(i + 1, close - i - 1));
            i = close + 1;
            break;
        }
        default:
            out += c;
            ++i;
        }
    }
}

} // namespace

std::string FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& fs) {
    DateParts p = DecodeDateTime(value);
    std::string out;
    out.reserve(format.size() + 8);
    AppendFormat(out, format.empty() ? std::string_view("c") : format, p, value, fs, 0);
    return out;
}

namespace {

struct Scanner {
    std::string_view s;
    size_t i = 0;
    void SkipBlanks() {
        while (i < s.size() && s[i] == ' ') ++i;
    }
    bool Number(int& value, int& digits) {
        value = 0;
        digits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < 9) {
            value = value * 10 + (s[i++] - '0');
            ++digits;
        }
        return digits > 0;
    }
    bool Char(char c) {
        if (i < s.size() && s[i] == c) {
            ++i;
            return true;
        }
        return false;
    }
    bool Word(std::string_view w) {
        if (w.empty() || s.size() - i < w.size()) return false;
        for (size_t k = 0; k < w.size(); ++k)
            if (std::toupper(static_cast<unsigned char>(s[i + k])) !=
                std::toupper(static_cast<unsigned char>(w[k])))
                return false;
        i += w.size();
        return true;
    }
};

int CurrentYear() {
    time_t t = time(nullptr);
    tm local{};
    localtime_r(&t, &local);
    return local.tm_year + 1900;
}

bool ScanDate(Scanner& sc, const TFormatSettings& fs, TDateTime& out) {
    // The order of year, month and day is that of their first letters in the short format.
    std::string order;
    for (char c : fs.ShortDateFormat) {
        char u = char(std::toupper(static_cast<unsigned char>(c)));
        if ((u == 'Y' || u == 'M' || u == 'D') && order.find(u) == std::string::npos) order += u;
    }
    if (order.size() != 3) order = "YMD";
    int n[3], d[3], count = 0;
    sc.SkipBlanks();
    if (!sc.Number(n[0], d[0])) return false;
    count = 1;
    while (count < 3 && sc.Char(fs.DateSeparator)) {
        if (!sc.Number(n[count], d[count])) return false;
        ++count;
    }
    if (count < 2) return false;
    int year = 0, month = 0, day = 0, yearDigits = 4;
    if (count == 2) { // no year: month and day in their order, this year
        year = CurrentYear();
        bool monthFirst = order.find('M') < order.find('D');
        month = monthFirst ? n[0] : n[1];
        day = monthFirst ? n[1] : n[0];
    } else {
        for (int k = 0; k < 3; ++k) {
            if (order[k] == 'Y') {
                year = n[k];
                yearDigits = d[k];
            } else if (order[k] == 'M') {
                month = n[k];
            } else {
                day = n[k];
            }
        }
        if (yearDigits <= 2) {
            int now = CurrentYear();
            int century = now - fs.TwoDigitYearCenturyWindow;
            year += century / 100 * 100;
            if (fs.TwoDigitYearCenturyWindow > 0 && year < century) year += 100;
        }
    }
    return TryEncodeDate(year, month, day, out);
}

bool ScanTime(Scanner& sc, const TFormatSettings& fs, TDateTime& out) {
    int h = 0, m = 0, s = 0, ms = 0, digits;
    sc.SkipBlanks();
    if (!sc.Number(h, digits)) return false;
    if (sc.Char(fs.TimeSeparator)) {
        if (!sc.Number(m, digits)) return false;
        if (sc.Char(fs.TimeSeparator)) {
            if (!sc.Number(s, digits)) return false;
            if (sc.Char('.')) {
                if (!sc.Number(ms, digits)) return false;
                while (digits < 3) ms *= 10, ++digits;
                while (digits > 3) ms /= 10, --digits;
            }
        }
    }
    sc.SkipBlanks();
    bool am = sc.Word(fs.TimeAMString) || sc.Word("AM");
    bool pm = !am && (sc.Word(fs.TimePMString) || sc.Word("PM"));
    if (am || pm) {
        if (h < 1 || h > 12) return false;
        h = h % 12 + (pm ? 12 : 0);
    }
    return TryEncodeTime(h, m, s, ms, out);
}

} // namespace

bool TryStrToDateTime(std::string_view text, TDateTime& out, const TFormatSettings& fs) {
    Scanner sc{text};
    TDateTime date = 0, time = 0;
    if (!ScanDate(sc, fs, date)) return false;
    sc.SkipBlanks();
    if (sc.i < text.size() && !ScanTime(sc, fs, time)) return false;
    sc.SkipBlanks();
    if (sc.i != text.size()) return false;
    out = date >= 0 ? date + time : date - time;
    return true;
}

TDateTime StrToDateTime(std::string_view text, const TFormatSettings& fs) {
    TDateTime t;
    if (!TryStrToDateTime(text, t, fs))
        throw EConvertError("'" + std::string(text) + "' is not a valid date and time");
    return t;
}

} // namespace rtl
