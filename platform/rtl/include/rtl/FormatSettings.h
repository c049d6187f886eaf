// Number and date conventions used to write and read text. Every conversion takes them
// explicitly; DefaultFormatSettings() is the process's fixed choice.
#pragma once

#include <string>

namespace rtl {

// The separators and names used to write and read numbers and dates.
struct TFormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '-';
    char TimeSeparator = ':';
    std::string ShortDateFormat = "yyyy-mm-dd";
    std::string LongDateFormat = "dddd, d mmmm yyyy";
    std::string ShortTimeFormat = "hh:nn";
    std::string LongTimeFormat = "hh:nn:ss";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    // Two-digit years are read within the hundred years that end this many years ahead.
    int TwoDigitYearCenturyWindow = 50;
};

// The settings of this process: decimal point ".", ISO-style dates, 24-hour times.
const TFormatSettings& DefaultFormatSettings();

} // namespace rtl
