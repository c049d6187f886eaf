// The week a calendar download asks for, the address it asks at and the file it keeps.
#pragma once

#include "rtl/DateTime.h"

#include <string>

namespace workers {

struct TCalendarRequest {
    rtl::TDateTime WeekDate = 0; // Monday 00:00 of the week that holds "now"
    std::string Year;            // decimal, "2024"
    std::string Month;           // two digits, "01"
    std::string Day;             // two digits, "01"
    std::string Url;             // base + "calendar.php?csv=1&date=20240101&calendar[]=4"
    std::string FileName;        // "EconCal_2024-01-01.csv", the name of the calendar copy
};

// The request for the week that holds the local date-time now, at the service's base address
// (a missing final "/" is supplied).
TCalendarRequest MakeCalendarRequest(rtl::TDateTime now, const std::string& baseUrl);

} // namespace workers
