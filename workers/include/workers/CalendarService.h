// Where the economic calendar is downloaded from.
#pragma once

#include <string>

namespace workers {

// The local calendar service that `make run` starts.
inline constexpr const char* DefaultCalendarBaseUrl = "http://127.0.0.1:8765/";

// The base address in force: the one set by SetCalendarBaseUrl (the program's --calendar-url
// option), else the environment variable HOXDESK_CALENDAR_URL when set and not empty, else
// DefaultCalendarBaseUrl. Safe on any thread.
std::string CalendarBaseUrl();

// An empty text returns to the environment variable or the default.
void SetCalendarBaseUrl(const std::string& url);

// A file of the service's format that stands in for the service (the program's --calendar-file
// option): the calendar is read from it instead of downloaded. An empty text returns to the
// service. Safe on any thread.
std::string CalendarFile();
void SetCalendarFile(const std::string& path);

} // namespace workers
