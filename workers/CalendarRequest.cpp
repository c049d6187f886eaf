#include "CalendarRequest.h"

#include "rtl/NumberText.h"

#include <cmath>

namespace workers {
namespace {

std::string TwoDigits(int value) {
    std::string text = rtl::IntToStr(value);
    if (value < 10) text.insert(text.begin(), '0');
    return text;
}

} // namespace

TCalendarRequest MakeCalendarRequest(rtl::TDateTime now, const std::string& baseUrl) {
    TCalendarRequest r;
    // DayOfWeek counts from Sunday = 1, so Monday = 2 is 0 days back and Sunday 6.
    const int daysBack = (rtl::DayOfWeek(now) + 5) % 7;
    r.WeekDate = std::trunc(now) - daysBack;
    const rtl::DateParts d = rtl::DecodeDateTime(r.WeekDate);
    r.Year = rtl::IntToStr(d.Year);
    r.Month = TwoDigits(d.Month);
    r.Day = TwoDigits(d.Day);
    std::string base = baseUrl;
    if (base.empty() || base.back() != '/') base += '/';
    r.Url = base + "calendar.php?csv=1&date=" + r.Year + r.Month + r.Day + "&calendar[]=4";
    r.FileName = "EconCal_" + r.Year + "-" + r.Month + "-" + r.Day + ".csv";
    return r;
}

} // namespace workers
