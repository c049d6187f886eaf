#include "rtl/DateTime.h"
#include "rtl/AnsiText.h"
#include "rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

using namespace rtl;

TEST(DateTime, EpochAndKnownDays) {
    EXPECT_EQ(FormatDateTime("yyyy.mm.dd hh:mm:ss", 0), "1899.12.30 00:00:00");
    EXPECT_DOUBLE_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_DOUBLE_EQ(EncodeDate(2000, 1, 1), 36526);
    EXPECT_DOUBLE_EQ(EncodeDate(1, 1, 1), MinDateTime);
    EXPECT_DOUBLE_EQ(EncodeDate(9999, 12, 31), MaxDateTime);
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 6)), 1); // a Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 7)), 2);
    EXPECT_EQ(DayOfWeek(0), 7); // 1899-12-30 was a Saturday
    EXPECT_EQ(DayOfWeek(-1.5), 6);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
}

// Every fourth year is a leap year, except centuries, except every fourth century.
TEST(DateTime, LeapYearsFollowTheCenturyRules) {
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(1900, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(2100, 2, 29), EConvertError);
    EXPECT_DOUBLE_EQ(EncodeDate(2024, 3, 1) - EncodeDate(2024, 2, 28), 2);
    EXPECT_DOUBLE_EQ(EncodeDate(2000, 3, 1) - EncodeDate(2000, 2, 28), 2);
    // The decoder walks the same months: day 59 after 1 January.
    EXPECT_EQ(FormatDateTime("yyyy.mm.dd", EncodeDate(1900, 1, 1) + 59), "1900.03.01");
    EXPECT_EQ(FormatDateTime("yyyy.mm.dd", EncodeDate(2000, 1, 1) + 59), "2000.02.29");
    EXPECT_EQ(FormatDateTime("yyyy.mm.dd", EncodeDate(2100, 1, 1) + 59), "2100.03.01");
}

TEST(DateTime, MonthAfterHourMeansMinutes) {
    TDateTime t = EncodeDate(2026, 3, 7) + EncodeTime(14, 5, 9, 0);
    EXPECT_EQ(FormatDateTime("yyyy.mm.dd hh:mm:ss", t), "2026.03.07 14:05:09");
    EXPECT_EQ(FormatDateTime("yy.mm.dd hh:mm:ss", t), "26.03.07 14:05:09");
    EXPECT_EQ(FormatDateTime("hh:nn:ss", t), "14:05:09");
    EXPECT_EQ(FormatDateTime("mm/dd hh mm", t), "03-07 14 05");
    EXPECT_EQ(FormatDateTime("d mmm yyyy 'at' h:nn am/pm", t), "7 Mar 2026 at 2:05 pm");
    EXPECT_EQ(FormatDateTime("dddd", t), "Saturday");
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2026, 3, 7)), "2026-03-07");
}

TEST(DateTime, RoundsToTheMillisecondAndCarriesMidnight) {
    TDateTime almost = EncodeDate(2026, 12, 31) + (MSecsPerDay - 0.2) / MSecsPerDay;
    EXPECT_EQ(FormatDateTime("yyyy.mm.dd hh:nn:ss.zzz", almost), "2027.01.01 00:00:00.000");
    TDateTime half = EncodeDate(2026, 1, 1) + EncodeTime(12, 0, 0, 500);
    EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", half), "12:00:00.500");
    // Before the epoch the time of day is the absolute fraction.
    EXPECT_EQ(FormatDateTime("yyyy.mm.dd hh:nn", -1.25), "1899.12.29 06:00");
}

TEST(DateTime, InvalidValuesRaiseInsteadOfPrintingGarbage) {
    for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL, MaxDateTime + 1, MinDateTime - 1, 1e300})
        EXPECT_THROW(FormatDateTime("yyyy", bad), EConvertError) << bad;
}

// What the validity test accepts is exactly what the decoder can show. The date is the integer
// part toward zero, so 1 January of year 1 is every value from MinDateTime down to (not
// including) MinDateTime - 1, its time of day counting backwards.
TEST(DateTime, TheFirstAndLastDaysAreValidAllDay) {
    const std::pair<double, const char*> edges[] = {
        {MinDateTime - 0.75, "0001.01.01 18:00"}, {MinDateTime - 0.000001, "0001.01.01 00:00"},
        {MinDateTime, "0001.01.01 00:00"},        {MinDateTime + 0.5, "0001.01.02 12:00"},
        {MaxDateTime + 0.75, "9999.12.31 18:00"},
    };
    for (const auto& [value, text] : edges) {
        EXPECT_TRUE(IsValidDateTime(value)) << value;
        EXPECT_EQ(FormatDateTime("yyyy.mm.dd hh:nn", value), text) << value;
    }
    EXPECT_FALSE(IsValidDateTime(MinDateTime - 1));
    EXPECT_FALSE(IsValidDateTime(MaxDateTime + 1));
}

TEST(StrToDateTime, ReadsBackTheQuoteTimeExactly) {
    TFormatSettings fs;
    fs.DateSeparator = '.';
    fs.TimeSeparator = ':';
    fs.ShortDateFormat = "yy.mm.dd";
    fs.ShortTimeFormat = "hh:nn:ss";
    TDateTime t = EncodeDate(2026, 12, 6) + EncodeTime(9, 30, 15, 0);
    std::string text = FormatDateTime("yyyy.mm.dd hh:mm:ss", t);
    EXPECT_DOUBLE_EQ(StrToDateTime(text, fs), t);
    EXPECT_DOUBLE_EQ(StrToDateTime("26.12.06 09:30:15", fs), t); // two-digit year in the window
    EXPECT_DOUBLE_EQ(StrToDateTime("2026.12.06", fs), EncodeDate(2026, 12, 6));
    EXPECT_DOUBLE_EQ(StrToDateTime("2026.12.06 9:30 PM", fs),
                     EncodeDate(2026, 12, 6) + EncodeTime(21, 30, 0, 0));
    for (const char* bad : {"", "2026", "2026.13.01", "2026.02.30", "2026.12.06 25:00:00",
                            "2026.12.06 10:00 x", "20xx.01.01", "2026-12-06"})
        EXPECT_THROW(StrToDateTime(bad, fs), EConvertError) << bad;
}

TEST(AnsiText, CodePageRoundTripAndUnknownCharacters) {
    std::u16string wide = u"\u20AC 5 caf\u00E9 \u2014 \u4E2D \U0001F600";
    std::string ansi = WideToAnsi(wide);
    EXPECT_EQ(ansi, "\x80 5 caf\xE9 \x97 ? ?");
    EXPECT_EQ(AnsiToWide("\x80\xE9"), u"\u20AC\u00E9");
    EXPECT_EQ(WideToAnsi(std::u16string(1, char16_t(0xD800))), "?"); // a lone surrogate
}
