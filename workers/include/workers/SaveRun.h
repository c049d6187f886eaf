// The save run: the four tick charts as JPEG images and the four grids as spreadsheet files,
// in a folder named after the latest quote.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kiv {
class TCustomKivPanel;
}
namespace tk {
class TEdit;
class TStatusBar;
class TStringGrid;
} // namespace tk

namespace workers {

// The parts of the window a save run reads and changes; all of them only on the window thread.
struct TSaveRunSources {
    const int32_t* QuoteRows = nullptr; // the newest row of the quote grid
    // The quote grid, the bid book, the ask book and the news grid: "_1.xls" to "_4.xls".
    tk::TStringGrid* Grids[4] = {};
    // The charts in the order they are saved, as "_tick1a", "_tick1b", "_tick2a", "_tick2b".
    kiv::TCustomKivPanel* Charts[4] = {};
    tk::TEdit* Symbol = nullptr;
    tk::TStatusBar* StatusBar = nullptr;
};

// The folder the save runs write into: the one set by SetSaveFolder (the program's --save-dir
// option), else the environment variable HOXDESK_SAVE_DIR when set and not empty, else "save"
// beside the program file. Safe on any thread.
std::string SaveFolder();
// An empty text returns to the environment variable or the default.
void SetSaveFolder(const std::string& folder);

// The name of one run's subfolder and files: the quote time's ":", "." and " " become "_",
// then "_", the symbol and "_" follow, and every "/" and "$" is dropped.
std::string SnapshotStamp(std::string_view quoteTime, std::string_view symbol);
// A quote time "yyyy.mm.dd hh:mm:ss" of a year before 2000. A quote time is otherwise told by its
// leading "20"; this keeps quotes of earlier years (a replay) at their own time in the charts
// and the stamps.
bool IsQuoteTimeBefore2000(std::string_view text);

// A save run's place in line, taken on the window thread as the user asks for the save and
// given up when the object goes, whether its run came or not.
class TSaveTurn {
public:
    TSaveTurn();
    ~TSaveTurn();
    TSaveTurn(const TSaveTurn&) = delete;
    TSaveTurn& operator=(const TSaveTurn&) = delete;

    // Worker thread: waits until the runs whose turns were taken before have ended. Raises
    // tk::ESynchronizeCancelled when the worker's window closes first.
    void Wait() const;

private:
    uint64_t turn_;
};

// One whole run, on the calling worker thread; the window's objects are reached through
// Synchronize. Runs take their turns in the order their turns were taken, so two runs never
// write the same file at once and the later run's files are the ones that stay. The save
// folder is made with the folders it lacks. A failing step (or the window's close) ends the
// run there: its bitmaps, partial files and a subfolder it made and left empty are removed,
// the status bar shows the stamp followed by ": not saved, " and the reason (also written to
// standard error), and the error is raised again.
void RunSave(const TSaveRunSources& window, const TSaveTurn& turn);

} // namespace workers
