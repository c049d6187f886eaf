#include "workers/NewsTagsThread.h"

#include "workers/NewsTags.h"

#include "toolkit/StringGrid.h"

TTestThread_3::TTestThread_3(tk::TWorkers& owner, tk::TStringGrid* quoteGrid,
                             tk::TStringGrid* newsGrid, int32_t row, std::string quoteTime)
    : tk::TThread(owner), quoteGrid_(quoteGrid), newsGrid_(newsGrid), row_(row),
      quoteTime_(std::move(quoteTime)) {
    Start();
}

void TTestThread_3::Execute() {
    tk::TThread::Synchronize([this] {
        quoteGrid_->SetCells(8, row_, workers::NewsTags(*newsGrid_, workers::NewsKey(quoteTime_)));
    });
}
