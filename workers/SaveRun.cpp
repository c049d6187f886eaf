#include "workers/SaveRun.h"

#include "BMPtoJPG.h"
#include "CellSnapshot.h"
#include "ExcelExport.h"

#include "chart/procs/Panel.h"
#include "rtl/Exceptions.h"
#include "toolkit/Application.h"
#include "toolkit/Controls.h"
#include "toolkit/StringGrid.h"
#include "toolkit/Thread.h"
#include "toolkit/bitmap/Bitmap.h"

#include <sys/stat.h>

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <set>

namespace workers {
namespace {

std::mutex folderLock;
std::string configuredFolder;

// Save runs in the order they were asked for.
struct Turns {
    std::mutex Lock;
    std::condition_variable Changed;
    uint64_t Next = 0;
    uint64_t Serving = 0;
    std::set<uint64_t> Finished; // ended out of order: dropped before their turn came
};

Turns& SaveTurns() {
    static Turns* turns = new Turns; // never destroyed: a run may end while the process exits
    return *turns;
}

void FinishTurn(uint64_t turn) {
    Turns& t = SaveTurns();
    std::lock_guard lock(t.Lock);
    t.Finished.insert(turn);
    while (t.Finished.erase(t.Serving)) ++t.Serving;
    t.Changed.notify_all();
}

class TurnGuard {
public:
    explicit TurnGuard(uint64_t turn) : turn_(turn) {
        Turns& t = SaveTurns();
        std::unique_lock lock(t.Lock);
        t.Changed.wait(lock, [&] { return t.Serving == turn_; });
    }
    ~TurnGuard() { FinishTurn(turn_); }
    TurnGuard(const TurnGuard&) = delete;
    TurnGuard& operator=(const TurnGuard&) = delete;

private:
    uint64_t turn_;
};

// Makes one folder level; an existing folder or a failure is not reported here: the first
// file written into it tells.
void CreateFolder(const std::string& folder) {
    ::mkdir(folder.c_str(), 0777);
}

// Writes the file under a temporary name and gives it its own name only once it is whole, so
// a failure (a full disk, say) never leaves a partial file that looks finished.
void WriteWhole(const std::string& fileName, const std::function<void(const std::string&)>& write) {
    const std::string partial = fileName + ".part";
    try {
        write(partial);
    } catch (...) {
        std::remove(partial.c_str());
        throw;
    }
    if (std::rename(partial.c_str(), fileName.c_str()) != 0) {
        const int error = errno;
        std::remove(partial.c_str());
        throw rtl::EInOutError("Cannot create file \"" + fileName + "\"", error);
    }
}

} // namespace

std::string SaveFolder() {
    {
        std::lock_guard guard(folderLock);
        if (!configuredFolder.empty()) return configuredFolder;
    }
    const char* env = std::getenv("HOXDESK_SAVE_DIR");
    if (env && *env) return env;
    return tk::TApplication::ExeDir() + "save";
}

void SetSaveFolder(const std::string& folder) {
    std::lock_guard guard(folderLock);
    configuredFolder = folder;
}

std::string SnapshotStamp(std::string_view quoteTime, std::string_view symbol) {
    std::string stamp;
    stamp.reserve(quoteTime.size() + symbol.size() + 2);
    for (char c : quoteTime) stamp += c == ':' || c == '.' || c == ' ' ? '_' : c;
    stamp += '_';
    stamp += symbol;
    stamp += '_';
    std::erase(stamp, '/');
    std::erase(stamp, '$');
    return stamp;
}

uint64_t QueueSaveRun() {
    Turns& t = SaveTurns();
    std::lock_guard lock(t.Lock);
    return t.Next++;
}

void DropSaveRun(uint64_t turn) {
    FinishTurn(turn);
}

void RunSave(const TSaveRunSources& window, uint64_t turn) {
    const TurnGuard guard(turn);
    std::string folder = SaveFolder();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    CreateFolder(folder);

    std::string stamp;
    tk::TThread::Synchronize([&] {
        const int32_t row = *window.QuoteRows;
        stamp = SnapshotStamp(window.Grids[0]->CellView(0, row), window.Symbol->Text());
        window.StatusBar->SetSimpleText(stamp);
    });
    const std::string subfolder = folder + "/" + stamp;
    CreateFolder(subfolder);
    // Before the first quote the stamp is named after the column title: no files.
    if (stamp.rfind("20", 0) != 0) return;

    const std::string base = subfolder + "/" + stamp;
    static constexpr const char* kCharts[4] = {"_tick1a", "_tick1b", "_tick2a", "_tick2b"};
    // Each chart is drawn on the window thread, its file written here.
    for (int i = 0; i < 4; ++i) {
        std::unique_ptr<tk::TBitmap> bitmap;
        tk::TThread::Synchronize([&] {
            kiv::TCustomKivPanel& chart = *window.Charts[i];
            bitmap = chart.RenderToBitmap(gfx::clWhite, chart.ClientRect());
        });
        WriteWhole(base + kCharts[i] + ".bmp",
                   [&](const std::string& name) { bitmap->SaveToFile(name); });
    }
    for (const char* chart : kCharts)
        WriteWhole(base + chart + ".jpg",
                   [&](const std::string& name) { BMPtoJPG(base + chart + ".bmp", name); });
    for (const char* chart : kCharts) std::remove((base + chart + ".bmp").c_str());

    TCellSnapshot grids[4];
    tk::TThread::Synchronize([&] {
        for (int g = 0; g < 4; ++g) grids[g] = TCellSnapshot(window.Grids[g]->Store());
    });
    for (int g = 0; g < 4; ++g)
        WriteWhole(base + "_" + char('1' + g) + ".xls",
                   [&](const std::string& name) { SaveAsExcelFile(grids[g], name); });
}

} // namespace workers
