// Date-times as a double of days since 30 December 1899; the fraction is the time of day.
#pragma once

#include "rtl/FormatSettings.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace rtl {

using TDateTime = double;

constexpr double MSecsPerDay = 86400000.0;
// Day numbers of 0001-01-01 and 9999-12-31 relative to 1899-12-30. A date-time's date is its
// integer part toward zero, so valid values lie strictly between MinDateTime - 1 and
// MaxDateTime + 1.
constexpr double MinDateTime = -693593.0;
constexpr double MaxDateTime = 2958465.0;

// A date-time split into its year, month, day and time of day.
struct DateParts {
    int Year = 0, Month = 0, Day = 0;
    int Hour = 0, Minute = 0, Second = 0, MSec = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
bool IsValidDateTime(TDateTime value);

// Raise EConvertError for an impossible date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out);

// The date is the integer part (toward zero), the time the absolute fraction rounded to the
// millisecond. Raises EConvertError for NaN, infinities and values outside years 1 to 9999.
DateParts DecodeDateTime(TDateTime value);

// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);

// The local date and time of this moment, to the millisecond.
TDateTime Now();

// Format letters (case-insensitive): y/yy two-digit year, yyy+ four digits; m, mm month, mmm,
// mmmm month names; d, dd day, ddd, dddd day names, ddddd short date, dddddd long date;
// h, hh hour; n, nn minute; s, ss second; z, zzz milliseconds; t short time, tt long time;
// c short date then long time; am/pm, a/p, ampm; "/" date separator, ":" time separator;
// quoted text is copied. An "m" that follows an "h" (only non-letters between) means minutes.
std::string FormatDateTime(std::string_view format, TDateTime value,
                           const TFormatSettings& fs = DefaultFormatSettings());

// A date in the order of the settings' short date format (numbers separated by the date
// separator; a missing year is this year; two-digit years use the century window), optionally
// followed by a time h[:n[:s[.zzz]]] with an optional AM/PM. Raises EConvertError otherwise.
TDateTime StrToDateTime(std::string_view text, const TFormatSettings& fs = DefaultFormatSettings());
bool TryStrToDateTime(std::string_view text, TDateTime& out,
                      const TFormatSettings& fs = DefaultFormatSettings());

} // namespace rtl
