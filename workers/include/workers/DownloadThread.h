// The news download worker.
#pragma once

#include "toolkit/Thread.h"

namespace tk {
class TStringGrid;
}

// Runs DownloadNews into the news grid once and deletes itself. Created running:
// `new TTestThread_1(Workers(), StringGrid4);` and the pointer is not used again. The grid must
// outlive the run: owner is the workers of the grid's window, which waits for them before it
// is destroyed.
class TTestThread_1 final : public tk::TThread {
public:
    TTestThread_1(tk::TWorkers& owner, tk::TStringGrid* newsGrid);

protected:
    void Execute() override;

private:
    tk::TStringGrid* newsGrid_;
};
