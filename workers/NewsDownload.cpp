#include "workers/NewsDownload.h"

#include "workers/CalendarService.h"
#include "workers/Split.h"
#include "workers/TextFile.h"

#include "inet/WinInet.h"
#include "rtl/Exceptions.h"
#include "toolkit/MessageBox.h"
#include "toolkit/StringGrid.h"
#include "toolkit/Thread.h"

#include <cstdio>
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
    inet::InternetSetCancelCheck(session.Handle, [] { return tk::IsClosing(); });
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

} // namespace

TNewsTable ParseCalendar(std::string_view text) {
    TNewsTable table;
    TLineReader lines(text);
    std::string_view line;
    for (int n = 1; lines.Next(line); ++n) {
        if (line == "0") continue;
        TNewsEvent& e = table.Events.emplace_back();
        e.Row = n;
        e.Cells[0] = split2(line, 0, ';') + " " + split2(line, 1, ';');
        for (int k = 2; k <= 7; ++k) e.Cells[size_t(k - 1)] = split2(line, k, ';');
        table.LastRow = n;
    }
    return table;
}

void ApplyNewsTable(tk::TStringGrid& grid, const TNewsTable& table) {
    for (int r = 1; r < grid.RowCount(); ++r) grid.ClearRow(r);
    if (table.LastRow > 0) grid.SetRowCount(table.LastRow + 1);
    for (const TNewsEvent& e : table.Events)
        for (size_t c = 0; c < e.Cells.size(); ++c) grid.SetCells(int(c), e.Row, e.Cells[c]);
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
    try {
        tk::TThread::Synchronize([] { tk::ShowMessage(DownloadErrorMessage); });
    } catch (...) {
        // The window is closing (or the message could not be shown): nothing more to tell.
    }
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
    const TNewsTable table = ParseCalendar(text);
    tk::TThread::Synchronize([&] { ApplyNewsTable(grid, table); });
}

void DownloadNews(tk::TStringGrid& grid) {
    DownloadNews(grid, MakeCalendarRequest(rtl::Now(), CalendarBaseUrl()));
}

} // namespace workers
