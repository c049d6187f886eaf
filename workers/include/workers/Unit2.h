// The worker threads of the main window.
#pragma once

#include "toolkit/Thread.h"
#include "workers/SaveRun.h"

#include <cstdint>
#include <string>

namespace tk {
class TStringGrid;
}

// The news download worker: runs DownloadNews into the news grid once and deletes itself.
// Created running: `new TTestThread_1(Workers(), StringGrid4);` and the pointer is not used
// again. The grid must outlive the run: owner is the workers of the grid's window, which waits
// for them before it is destroyed.
class TTestThread_1 final : public tk::TThread {
public:
    TTestThread_1(tk::TWorkers& owner, tk::TStringGrid* newsGrid);

protected:
    void Execute() override;

private:
    tk::TStringGrid* newsGrid_;
};

// The save worker: one save run (workers::RunSave), in its turn among the save runs asked for
// before it. Created running on the window thread, like TTestThread_1.
class TTestThread_2 final : public tk::TThread {
public:
    TTestThread_2(tk::TWorkers& owner, const workers::TSaveRunSources& window);

protected:
    void Execute() override;

private:
    workers::TSaveRunSources window_;
    uint64_t turn_;
};

// The news-tagging worker: writes the calendar events of a quote's minute into column 8 of
// that quote's row, in one hop to the window thread. Created running, like TTestThread_1.
class TTestThread_3 final : public tk::TThread {
public:
    // quoteTime is the text of the quote's time, row its row in quoteGrid.
    TTestThread_3(tk::TWorkers& owner, tk::TStringGrid* quoteGrid, tk::TStringGrid* newsGrid,
                  int32_t row, std::string quoteTime);

protected:
    void Execute() override;

private:
    tk::TStringGrid* quoteGrid_;
    tk::TStringGrid* newsGrid_;
    int32_t row_;
    std::string quoteTime_;
};
