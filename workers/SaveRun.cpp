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

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <system_error>
#include <vector>

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

// The files and the subfolder a run began: on a failure (or a close of the window) the
// bitmaps and a subfolder left empty go; the finished pictures and sheets stay.
class BegunFiles {
public:
    explicit BegunFiles(std::string subfolder) : subfolder_(std::move(subfolder)) {}
    ~BegunFiles() {
        if (done_) return;
        for (const std::string& file : bitmaps_) std::remove(file.c_str());
        std::error_code ignored;
        if (madeSubfolder_) std::filesystem::remove(subfolder_, ignored); // only when empty
    }
    BegunFiles(const BegunFiles&) = delete;
    BegunFiles& operator=(const BegunFiles&) = delete;

    void MakeSubfolder() {
        std::error_code error;
        madeSubfolder_ = std::filesystem::create_directories(subfolder_, error);
        if (error)
            throw rtl::EInOutError("Cannot create folder \"" + subfolder_ + "\"", error.value());
    }
    void AddBitmap(std::string file) { bitmaps_.push_back(std::move(file)); }
    void Done() { done_ = true; }

private:
    std::string subfolder_;
    std::vector<std::string> bitmaps_;
    bool madeSubfolder_ = false;
    bool done_ = false;
};

// What the status bar says after the stamp: the system's text of the error number, else the
// error's own text.
std::string Reason(const std::exception& error) {
    const auto* io = dynamic_cast<const rtl::EInOutError*>(&error);
    if (io && io->ErrorCode > 0)
        return std::error_code(io->ErrorCode, std::generic_category()).message();
    return error.what();
}

void ReportFailure(const TSaveRunSources& window, const std::string& stamp,
                   const std::exception& error) {
    const std::string reason = Reason(error);
    const std::string text = stamp + ": not saved, " + reason;
    if (reason == error.what())
        std::fprintf(stderr, "hoxdesk: %s\n", text.c_str());
    else
        std::fprintf(stderr, "hoxdesk: %s (%s)\n", text.c_str(), error.what());
    try {
        tk::TThread::Synchronize([&] { window.StatusBar->SetSimpleText(text); });
    } catch (...) {
        // The window is closing: standard error has it.
    }
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

void WriteFiles(const TSaveRunSources& window, const std::string& base, BegunFiles& begun) {
    static constexpr const char* kCharts[4] = {"_tick1a", "_tick1b", "_tick2a", "_tick2b"};
    // Each chart is drawn on the window thread, its file written here.
    for (int i = 0; i < 4; ++i) {
        std::unique_ptr<tk::TBitmap> bitmap;
        tk::TThread::Synchronize([&] {
            kiv::TCustomKivPanel& chart = *window.Charts[i];
            bitmap = chart.RenderToBitmap(gfx::clWhite, chart.ClientRect());
        });
        const std::string file = base + kCharts[i] + ".bmp";
        begun.AddBitmap(file);
        WriteWhole(file, [&](const std::string& name) { bitmap->SaveToFile(name); });
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

bool IsQuoteTimeBefore2000(std::string_view text) {
    static constexpr std::string_view Form = "0000.00.00 00:00:00";
    if (text.size() != Form.size() || text.substr(0, 2) == "20") return false;
    for (size_t i = 0; i < Form.size(); ++i)
        if (Form[i] == '0' ? text[i] < '0' || text[i] > '9' : text[i] != Form[i]) return false;
    return text.substr(0, 4) < "2000";
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

TSaveTurn::TSaveTurn() {
    Turns& t = SaveTurns();
    std::lock_guard lock(t.Lock);
    turn_ = t.Next++;
}

TSaveTurn::~TSaveTurn() {
    FinishTurn(turn_);
}

void TSaveTurn::Wait() const {
    Turns& t = SaveTurns();
    std::unique_lock lock(t.Lock);
    // A run whose window closes stops waiting: the runs before it may wait for that window.
    while (!t.Changed.wait_for(lock, std::chrono::milliseconds(20),
                               [&] { return t.Serving == turn_; }))
        if (tk::TThread::Cancelled()) throw tk::ESynchronizeCancelled();
}

void RunSave(const TSaveRunSources& window, const TSaveTurn& turn) {
    turn.Wait();
    std::string folder = SaveFolder();
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    std::error_code ignored; // a folder that cannot be made fails the run with its subfolder
    std::filesystem::create_directories(folder, ignored);

    std::string stamp;
    bool before2000 = false;
    tk::TThread::Synchronize([&] {
        const int32_t row = *window.QuoteRows;
        before2000 = IsQuoteTimeBefore2000(window.Grids[0]->CellView(0, row));
        stamp = SnapshotStamp(window.Grids[0]->CellView(0, row), window.Symbol->Text());
        window.StatusBar->SetSimpleText(stamp);
    });
    const std::string subfolder = folder + "/" + stamp;
    BegunFiles begun(subfolder);
    try {
        begun.MakeSubfolder();
        // Before the first quote the stamp is named after the column title: no files.
        if (stamp.rfind("20", 0) != 0 && !before2000) {
            begun.Done();
            return;
        }
        WriteFiles(window, subfolder + "/" + stamp, begun);
        begun.Done();
    } catch (const std::exception& e) {
        ReportFailure(window, stamp, e);
        throw;
    }
}

} // namespace workers
