// The worker threads of the main window.
#pragma once

#include "toolkit/Thread.h"

namespace tk {
class TStringGrid;
}

// The news download worker: runs DownloadNews into the news grid once and deletes itself.
// Created running: `new TTestThread_1(StringGrid4);` and the pointer is not used again. The
// grid must outlive the run; the window waits for its workers (tk::WaitForWorkers) before it
// is destroyed.
class TTestThread_1 final : public tk::TThread {
public:
    explicit TTestThread_1(tk::TStringGrid* newsGrid);

protected:
    void Execute() override;

private:
    tk::TStringGrid* newsGrid_;
};
