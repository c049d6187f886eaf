// The local calendar service's week goes through the download's parsing as a real one would.
#include "NewsDownload.h"
#include "Split.h"
#include "tools/CalendarWeek.h"
#include "workers/TextFile.h"

#include <gtest/gtest.h>

#include <set>

using tools::CalendarWeek;

TEST(CalendarFixture, AWeekIsTheSameForTheSameDateAndDiffersForAnother) {
    const double later = rtl::EncodeDate(2030, 1, 1);
    EXPECT_EQ(CalendarWeek(2024, 1, 1, later), CalendarWeek(2024, 1, 1, later));
    EXPECT_NE(CalendarWeek(2024, 1, 1, later), CalendarWeek(2024, 1, 8, later));
}

TEST(CalendarFixture, EveryLineIsAnEventOfEightFieldsOrAZero) {
    const std::string week = CalendarWeek(2024, 1, 1, rtl::EncodeDate(2024, 1, 3));
    workers::TLineReader lines(week);
    std::string_view line;
    int events = 0, zeros = 0, withActual = 0, withoutActual = 0;
    std::set<std::string> days;
    while (lines.Next(line)) {
        if (line == "0") {
            ++zeros;
            continue;
        }
        ++events;
        ASSERT_EQ(workers::split(line, ';').size(), 8u) << line;
        const std::string date = workers::split2(line, 0, ';');
        ASSERT_EQ(date.size(), 10u) << line;
        EXPECT_EQ(date.substr(0, 8), "2024.01.");
        days.insert(date);
        EXPECT_EQ(workers::split2(line, 1, ';').size(), 5u) << line; // hh:mm
        EXPECT_FALSE(workers::split2(line, 2, ';').empty());
        EXPECT_FALSE(workers::split2(line, 3, ';').empty());
        (workers::split2(line, 5, ';').empty() ? withoutActual : withActual)++;
    }
    EXPECT_GT(events, 25);
    EXPECT_GT(zeros, 0);
    EXPECT_GE(days.size(), 5u);
    // Released events carry their actual value, events still ahead do not.
    EXPECT_GT(withActual, 0);
    EXPECT_GT(withoutActual, 0);
}

TEST(CalendarFixture, LiveQuotesMeetEventsInTheMinutesAhead) {
    // Sunday 7 January 2024, 22:10 UTC: the last hours of the week.
    const double now = rtl::EncodeDate(2024, 1, 7) + rtl::EncodeTime(22, 10, 0, 0);
    const workers::TNewsTable table = workers::ParseCalendar(CalendarWeek(2024, 1, 1, now));
    // Quote tagging examines rows 1 to row count - 10.
    const int lastExamined = table.LastRow + 1 - 10;
    int examinedSoon = 0;
    for (int row = 1; row <= lastExamined; ++row) {
        const std::string key = table.Rows.Cell(0, row);
        if (key >= "2024.01.07 22:11" && key <= "2024.01.07 22:40") ++examinedSoon;
    }
    EXPECT_GE(examinedSoon, 5);
    // Another week than the current one has no such events.
    const workers::TNewsTable other = workers::ParseCalendar(CalendarWeek(2023, 12, 25, now));
    ASSERT_GT(other.LastRow, 0);
    for (int row = 1; row <= other.LastRow; ++row) EXPECT_LT(other.Rows.Cell(0, row), "2024.01.01");
}
