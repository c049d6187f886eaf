#include "NewsDownload.h"

#include "Split.h"
#include "workers/CalendarService.h"
#include "workers/KeptFiles.h"
#include "workers/NewsTags.h"
#include "workers/TextFile.h"

#include "inet/WinInet.h"
#include "rtl/Exceptions.h"
#include "toolkit/MessageBox.h"
#include "toolkit/StringGrid.h"
#include "toolkit/Thread.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <mutex>

namespace workers {
namespace {

constexpr const char* Agent = "Ormund 5.x";
constexpr uint32_t ReadSize = 1025;

// Two runs (window creation and the Download button) may store the same week's file at once.
std::mutex calendarFileLock;

struct HandleCloser {
    inet::HINTERNET Handle = nullptr;
    ~HandleCloser() {
        if (Handle) inet::InternetCloseHandle(Handle);
    }
};

void Fetch(const std::string& url, std::string& result) {
    // Declared session first, so the request handle closes before the session.
    HandleCloser session{
        inet::InternetOpenA(Agent, inet::INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)};
    if (!session.Handle) throw rtl::Exception("Unable to initialize Wininet");
    // A window that closes does not wait for the calendar service.
    inet::InternetSetCancelCheck(session.Handle, [] { return tk::TThread::Cancelled(); });
    HandleCloser request{inet::InternetOpenUrlA(session.Handle, url.c_str(), nullptr, 0,
                                                inet::INTERNET_FLAG_RELOAD, 0)};
    if (!request.Handle) throw rtl::Exception("Error loading URL !");
    char buffer[ReadSize];
    uint32_t read = 0;
    do {
        if (!inet::InternetReadFile(request.Handle, buffer, ReadSize, &read))
            throw rtl::Exception("Error reading URL !");
        // The count read, not the text up to a zero byte: a NUL in the body loses nothing.
        result.append(buffer, read);
    } while (read > 0);
}

void ShowDownloadError() {
    try {
        tk::TThread::Synchronize([] { tk::ShowMessage(DownloadErrorMessage); });
    } catch (...) {
        // The window is closing (or the message could not be shown): nothing more to tell.
    }
}

// Puts the calendar text's events into the grid, with their index for the news tags.
void ShowCalendar(tk::TStringGrid& grid, const std::string& text) {
    // Built here, swapped in with one short hop; the grid's previous cells come back in the
    // table and are freed here too.
    TNewsTable table = ParseCalendar(text);
    if (table.LastRow == 0) {
        // Without events the grid keeps its row count, every row emptied: the empty rows are
        // made here too, at the count the grid has now (millions after a huge calendar).
        int rows = 0;
        tk::TThread::Synchronize([&] { rows = grid.RowCount(); });
        table.Rows.SetRowCount(rows);
    }
    // The events are indexed here too: a quote's tags then cost the same at any calendar size.
    auto index = std::make_unique<const TNewsIndex>(table.Rows);
    tk::TThread::Synchronize([&] {
        ApplyNewsTable(grid, table);
        SetNewsIndex(grid, std::move(index));
    });
}

} // namespace

TNewsTable ParseCalendar(std::string_view text) {
    TNewsTable table;
    // The rows are counted first, so the store's row references are allocated once.
    size_t lineCount = 0;
    std::string_view line;
    for (TLineReader counter(text); counter.Next(line);) ++lineCount;
    if (lineCount >= size_t(std::numeric_limits<int>::max()))
        throw rtl::EInOutError("The calendar has too many lines");
    table.Rows.SetRowCount(int(lineCount) + 1);
    TLineReader lines(text);
    std::string_view fields[8];
    std::string when;
    for (int n = 1; lines.Next(line); ++n) {
        if (line == "0") continue;
        split2Fields(line, ';', fields, 8);
        when.assign(fields[0]).append(" ").append(fields[1]);
        table.Rows.SetCell(0, n, when);
        for (int k = 2; k <= 7; ++k) table.Rows.SetCell(k - 1, n, fields[k]);
        table.LastRow = n;
    }
    table.Rows.SetRowCount(table.LastRow + 1);
    return table;
}

void ApplyNewsTable(tk::TStringGrid& grid, TNewsTable& table) {
    tk::TGridCells& rows = table.Rows;
    rows.SetColCount(grid.ColCount());
    rows.SetRowCount(table.LastRow > 0 ? table.LastRow + 1 : grid.RowCount());
    if (rows.RowCount() > 0)
        for (int c = 0; c < grid.ColCount(); ++c) rows.SetCell(c, 0, grid.CellView(c, 0));
    grid.SwapCells(rows);
}

bool DownloadFile(const std::string& url, std::string& result) {
    result.clear();
    try {
        Fetch(url, result);
        return true;
    } catch (const std::exception& e) {
        result.clear();
        std::fprintf(stderr, "hoxdesk: %s %s (%s)\n", e.what(), url.c_str(),
                     inet::InternetLastError().c_str());
    }
    ShowDownloadError();
    return false;
}

bool ReadCalendarFile(const std::string& fileName, std::string& result) {
    result.clear();
    try {
        result = ReadWholeFile(fileName);
        return true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "hoxdesk: calendar file %s: %s\n", fileName.c_str(), e.what());
    }
    ShowDownloadError();
    return false;
}

void DownloadNews(tk::TStringGrid& grid, const TCalendarRequest& request) {
    std::string body;
    if (!DownloadFile(request.Url, body)) return;
    std::string text;
    {
        std::lock_guard guard(calendarFileLock);
        WriteWholeFile(request.FileName, body);
        text = ReadWholeFile(request.FileName);
    }
    ShowCalendar(grid, text);
}

void DownloadNews(tk::TStringGrid& grid) {
    const std::string file = CalendarFile();
    if (!file.empty()) {
        std::string text;
        if (ReadCalendarFile(file, text)) ShowCalendar(grid, text);
        return;
    }
    TCalendarRequest request = MakeCalendarRequest(rtl::Now(), CalendarBaseUrl());
    request.FileName = MakeKeptFilesFolder() + request.FileName;
    DownloadNews(grid, request);
}

} // namespace workers
