// The economic calendar of the current week: downloaded as semicolon-separated text, kept
// byte for byte in its calendar file, and shown in the news grid.
#pragma once

#include "CalendarRequest.h"

#include "toolkit/GridCells.h"

#include <string>
#include <string_view>

namespace tk {
class TStringGrid;
}

namespace workers {

inline constexpr const char* DownloadErrorMessage = "Error loading url !!";

// The grid rows of one calendar text, built off the window thread in the grid's own compact
// store: the event on line n (counted from 1, "0" lines included) fills row n; columns are
// "date time", currency, title, impact, actual, forecast, previous. Row 0 and the rows of "0"
// lines stay empty. An empty line is an event too (its first cell is " "), so a row costs
// about a dozen bytes however many lines the answer holds.
struct TNewsTable {
    int LastRow = 0; // the row of the last event, 0 without events
    tk::TGridCells Rows{7, 1};
};

TNewsTable ParseCalendar(std::string_view text);

// Window thread: the grid takes the table's rows in one swap, keeping its titles (row 0) and
// column count. Without events it keeps its row count with every row below the titles emptied
// (the swap stays constant-time when the table already has that many rows); otherwise the row
// count becomes LastRow + 1. The table is left holding the grid's previous cells, so that the
// caller frees them off the window thread.
void ApplyNewsTable(tk::TStringGrid& grid, TNewsTable& table);

// Fetches the URL into result. Any failure shows DownloadErrorMessage on the window thread,
// leaves result empty and returns false; it never raises.
bool DownloadFile(const std::string& url, std::string& result);

// Reads a calendar file in place of a download: a file that cannot be read is told on standard
// error with the reason and shows DownloadErrorMessage like a failed download, leaves result
// empty and returns false; it never raises.
bool ReadCalendarFile(const std::string& fileName, std::string& result);

// Worker thread: downloads the request's calendar, stores it in its file, reads the file back
// and puts its events into the grid, with their index for the news tags, in one hop to the
// window thread (two without events: the first reads the row count to keep). A failed
// download shows the message and changes neither the file nor the grid. A file step that fails
// raises rtl::EInOutError and leaves the grid as it was. Runs that overlap write and read the
// calendar file one at a time.
void DownloadNews(tk::TStringGrid& grid, const TCalendarRequest& request);
// The current local week at CalendarBaseUrl(), its file in the kept files' folder
// (workers/KeptFiles.h); with a CalendarFile() the events of that file instead, shown the same
// way (no copy is kept), or on failure the download's message with the grid unchanged.
void DownloadNews(tk::TStringGrid& grid);

} // namespace workers
