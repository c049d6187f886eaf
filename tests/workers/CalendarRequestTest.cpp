#include "CalendarRequest.h"
#include "workers/CalendarService.h"

#include <gtest/gtest.h>

#include <cstdlib>

using workers::MakeCalendarRequest;
using workers::TCalendarRequest;

namespace {

TCalendarRequest At(int y, int m, int d, int hh = 12, int mm = 0) {
    return MakeCalendarRequest(rtl::EncodeDate(y, m, d) + rtl::EncodeTime(hh, mm, 0, 0),
                               "http://cal.test/");
}

} // namespace

TEST(CalendarRequest, TheWeekStartsOnMondayAtMidnightAcrossMonthAndYearEnds) {
    TCalendarRequest r = At(2024, 1, 5); // a Friday
    EXPECT_EQ(r.Url, "http://cal.test/calendar.php?csv=1&date=20240101&calendar[]=4");
    EXPECT_EQ(r.FileName, "EconCal_2024-01-01.csv");
    EXPECT_DOUBLE_EQ(r.WeekDate, rtl::EncodeDate(2024, 1, 1));
    // The base address gets its final slash.
    EXPECT_EQ(MakeCalendarRequest(rtl::EncodeDate(2024, 1, 5), "http://127.0.0.1:9").Url,
              "http://127.0.0.1:9/calendar.php?csv=1&date=20240101&calendar[]=4");
    // A Monday is its own week from its first to its last minute; a Sunday is not.
    EXPECT_EQ(At(2024, 1, 8, 0, 0).FileName, "EconCal_2024-01-08.csv");
    EXPECT_EQ(At(2024, 1, 8, 23, 59).FileName, "EconCal_2024-01-08.csv");
    EXPECT_EQ(At(2024, 1, 7, 23, 59).FileName, "EconCal_2024-01-01.csv");
    // Thursday 1 January 2026 lies in the week of Monday 29 December 2025.
    r = At(2026, 1, 1);
    EXPECT_EQ(r.Url, "http://cal.test/calendar.php?csv=1&date=20251229&calendar[]=4");
    EXPECT_EQ(r.Year + r.Month + r.Day, "20251229");
    // Over February of a leap year; two-digit months and days.
    EXPECT_EQ(At(2024, 3, 3).FileName, "EconCal_2024-02-26.csv");
    EXPECT_EQ(At(2023, 10, 12).FileName, "EconCal_2023-10-09.csv");
}

TEST(CalendarService, TheOptionBeatsTheEnvironmentWhichBeatsTheDefault) {
    unsetenv("HOXDESK_CALENDAR_URL");
    workers::SetCalendarBaseUrl("");
    EXPECT_EQ(workers::CalendarBaseUrl(), workers::DefaultCalendarBaseUrl);
    setenv("HOXDESK_CALENDAR_URL", "http://env.test/", 1);
    EXPECT_EQ(workers::CalendarBaseUrl(), "http://env.test/");
    workers::SetCalendarBaseUrl("http://option.test/");
    EXPECT_EQ(workers::CalendarBaseUrl(), "http://option.test/");
    workers::SetCalendarBaseUrl("");
    EXPECT_EQ(workers::CalendarBaseUrl(), "http://env.test/");
    setenv("HOXDESK_CALENDAR_URL", "", 1);
    EXPECT_EQ(workers::CalendarBaseUrl(), workers::DefaultCalendarBaseUrl);
    unsetenv("HOXDESK_CALENDAR_URL");
}
