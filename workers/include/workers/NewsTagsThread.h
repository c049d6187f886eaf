// The news-tagging worker.
#pragma once

#include "toolkit/Thread.h"

#include <cstdint>
#include <string>

namespace tk {
class TStringGrid;
}

// Writes the calendar events of a quote's minute into column 8 of that quote's row, in one hop
// to the window thread (workers::NewsTags). Created running, like TTestThread_1.
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
