#include "tools/CalendarWeek.h"

#include "rtl/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace tools {
namespace {

// splitmix64: small, and the same sequence everywhere for the same seed.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return int(Next() % uint64_t(n)); }
    double Between(double lo, double hi) { return lo + (hi - lo) * double(Next() >> 11) / 0x1p53; }

private:
    uint64_t state_;
};

enum class Unit { Percent, Thousands, Billions, Index, Level };

struct Indicator {
    const char* Currency;
    const char* Title;
    const char* Impact;
    Unit Kind;
    double Low, High;
};

const Indicator Indicators[] = {
    {"USD", "Non-Farm Employment Change", "High", Unit::Thousands, 80, 320},
    {"USD", "Unemployment Rate", "High", Unit::Percent, 3.4, 4.4},
    {"USD", "CPI m/m", "High", Unit::Percent, -0.2, 0.6},
    {"USD", "Core Retail Sales m/m", "Medium", Unit::Percent, -0.6, 0.9},
    {"USD", "ISM Services PMI", "Medium", Unit::Index, 48, 56},
    {"USD", "Unemployment Claims", "Medium", Unit::Thousands, 190, 260},
    {"USD", "Crude Oil Inventories", "Low", Unit::Level, -6.5, 6.5},
    {"USD", "FOMC Member Speaks", "Medium", Unit::Level, 0, 0},
    {"EUR", "German Ifo Business Climate", "Medium", Unit::Index, 84, 92},
    {"EUR", "CPI Flash Estimate y/y", "High", Unit::Percent, 1.8, 3.2},
    {"EUR", "Main Refinancing Rate", "High", Unit::Percent, 3.5, 4.5},
    {"EUR", "French Flash Services PMI", "Medium", Unit::Index, 44, 52},
    {"GBP", "GDP m/m", "High", Unit::Percent, -0.3, 0.4},
    {"GBP", "Claimant Count Change", "Medium", Unit::Thousands, -20, 30},
    {"GBP", "BOE Gov Speaks", "High", Unit::Level, 0, 0},
    {"JPY", "Tokyo Core CPI y/y", "Medium", Unit::Percent, 1.6, 2.8},
    {"JPY", "Trade Balance", "Low", Unit::Billions, -900, 400},
    {"CHF", "Retail Sales y/y", "Low", Unit::Percent, -2.5, 2.5},
    {"CAD", "Employment Change", "High", Unit::Thousands, -15, 60},
    {"AUD", "Cash Rate", "High", Unit::Percent, 4.1, 4.4},
    {"NZD", "GDT Price Index", "Low", Unit::Percent, -4, 4},
    {"CNY", "Caixin Manufacturing PMI", "Medium", Unit::Index, 48, 52},
};
constexpr int IndicatorCount = int(sizeof Indicators / sizeof Indicators[0]);

std::string Value(const Indicator& ind, double v) {
    const bool whole = ind.Kind == Unit::Thousands || ind.Kind == Unit::Billions;
    // Rounded first, and + 0.0 turns a negative zero into a plain one.
    v = (whole ? std::round(v) : std::round(v * 10) / 10) + 0.0;
    char text[32];
    switch (ind.Kind) {
    case Unit::Percent:
        std::snprintf(text, sizeof text, "%.1f%%", v);
        break;
    case Unit::Thousands:
        std::snprintf(text, sizeof text, "%.0fK", v);
        break;
    case Unit::Billions:
        std::snprintf(text, sizeof text, "%.0fB", v);
        break;
    case Unit::Index:
        std::snprintf(text, sizeof text, "%.1f", v);
        break;
    case Unit::Level:
        std::snprintf(text, sizeof text, "%.1fM", v);
        break;
    }
    return text;
}

struct Event {
    int Minute; // of the week, from the start day's midnight
    int Indicator;
    double Forecast, Previous, Actual;
};

std::string TwoDigits(int v) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", v);
    return text;
}

Event Draw(Random& rng, int minute) {
    Event e{minute, rng.Below(IndicatorCount), 0, 0, 0};
    const Indicator& ind = Indicators[e.Indicator];
    const double spread = (ind.High - ind.Low) / 4;
    e.Previous = rng.Between(ind.Low, ind.High);
    e.Forecast = std::clamp(e.Previous + rng.Between(-spread, spread), ind.Low, ind.High);
    e.Actual = std::clamp(e.Forecast + rng.Between(-spread, spread), ind.Low, ind.High);
    return e;
}

} // namespace

bool ParseCalendarDate(const std::string& text, int& year, int& month, int& day) {
    if (text.size() != 8 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    year = std::stoi(text.substr(0, 4));
    month = std::stoi(text.substr(4, 2));
    day = std::stoi(text.substr(6, 2));
    rtl::TDateTime ignored;
    return year >= 1 && rtl::TryEncodeDate(year, month, day, ignored);
}

std::string CalendarWeek(int year, int month, int day, rtl::TDateTime nowUtc) {
    const rtl::TDateTime start = rtl::EncodeDate(year, month, day);
    Random rng(uint64_t(year) * 10000 + uint64_t(month) * 100 + uint64_t(day));
    std::vector<Event> events;
    for (int d = 0; d < 7; ++d) {
        const bool weekend = d >= 5;
        const int count = weekend ? rng.Below(2) : 5 + rng.Below(5);
        for (int i = 0; i < count; ++i) {
            // Most releases fall between 07:00 and 16:00 on quarter hours; Asia's earlier.
            const int hour = weekend ? 21 + rng.Below(3)
                                     : (rng.Below(4) == 0 ? rng.Below(7) : 7 + rng.Below(10));
            const int minute = 15 * rng.Below(4);
            events.push_back(Draw(rng, d * 1440 + hour * 60 + minute));
        }
    }
    const double nowInWeek = (nowUtc - start) * 1440;
    if (nowInWeek >= 0 && nowInWeek < 7 * 1440) {
        // In the minutes ahead of the request, drawn from the request's minute; enough of them
        // that most lie above the last rows of the grid, which quote tagging never examines.
        const int now = int(std::floor(nowInWeek));
        Random live(uint64_t(year) * 10000 + uint64_t(month) * 100 + uint64_t(day) +
                    (uint64_t(now) << 32));
        for (int m = 2; m <= 76 && now + m < 7 * 1440; m += 3)
            events.push_back(Draw(live, now + m));
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const Event& a, const Event& b) { return a.Minute < b.Minute; });

    std::string out;
    for (const Event& e : events) {
        if (rng.Below(12) == 0) out += "0\n";
        const Indicator& ind = Indicators[e.Indicator];
        const rtl::DateParts p = rtl::DecodeDateTime(start + e.Minute / 1440);
        const bool speech = ind.Low == ind.High;
        const bool past = (start + e.Minute / 1440.0) < nowUtc;
        out += rtl::IntToStr(p.Year) + "." + TwoDigits(p.Month) + "." + TwoDigits(p.Day) + ";" +
               TwoDigits(e.Minute % 1440 / 60) + ":" + TwoDigits(e.Minute % 60) + ";" +
               ind.Currency + ";" + ind.Title + ";" + ind.Impact + ";" +
               (past && !speech ? Value(ind, e.Actual) : "") + ";" +
               (speech ? "" : Value(ind, e.Forecast)) + ";" +
               (speech ? "" : Value(ind, e.Previous)) + "\n";
    }
    return out;
}

} // namespace tools
