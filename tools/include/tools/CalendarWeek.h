// A plausible week of economic events as the calendar service answers it: one event per
// line, "date;time;currency;title;impact;actual;forecast;previous", date as yyyy.mm.dd and
// time as hh:mm (UTC, the clock of the quotes), with a few "0" lines that carry no event.
#pragma once

#include "rtl/DateTime.h"

#include <string>

namespace tools {

// The week that starts on weekStart (taken as given, normally a Monday), the same for the same
// date: the events are drawn from a generator seeded by it. Events before nowUtc carry their
// actual value. When nowUtc falls inside the week, a few events are placed in the minutes just
// ahead of it so that live quotes meet them.
std::string CalendarWeek(int year, int month, int day, rtl::TDateTime nowUtc);

// The calendar's date parameter, YYYYMMDD; false unless it is a valid date.
bool ParseCalendarDate(const std::string& text, int& year, int& month, int& day);

} // namespace tools
