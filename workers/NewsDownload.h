// The economic calendar of the current week: downloaded as semicolon-separated text, kept
// byte for byte in the calendar file of the current folder, and shown in the news grid.
#pragma once

#include "workers/CalendarRequest.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tk {
class TStringGrid;
}

namespace workers {

inline constexpr const char* DownloadErrorMessage = "Error loading url !!";

// The grid content of one calendar text: the event on line n (counted from 1, "0" lines
// included) fills row n; columns are "date time", currency, title, impact, actual, forecast,
// previous.
struct TNewsEvent {
    int Row = 0;
    std::array<std::string, 7> Cells;
};
struct TNewsTable {
    int LastRow = 0; // the row of the last event, 0 without events
    std::vector<TNewsEvent> Events;
};

TNewsTable ParseCalendar(std::string_view text);

// Window thread: empties rows 1 and below and fills the events in; without events the row
// count stays, otherwise it becomes LastRow + 1. Row 0 (the titles) stays.
void ApplyNewsTable(tk::TStringGrid& grid, const TNewsTable& table);

// Fetches the URL into result. Any failure shows DownloadErrorMessage on the window thread,
// leaves result empty and returns false; it never raises.
bool DownloadFile(const std::string& url, std::string& result);

// Worker thread: downloads the request's calendar, stores it in its file, reads the file back
// and puts its events into the grid in one hop to the window thread. A failed download shows
// the message and changes neither the file nor the grid. A file step that fails raises
// rtl::EInOutError and leaves the grid as it was. Runs that overlap write and read the
// calendar file one at a time.
void DownloadNews(tk::TStringGrid& grid, const TCalendarRequest& request);
// The current local week at CalendarBaseUrl().
void DownloadNews(tk::TStringGrid& grid);

} // namespace workers
