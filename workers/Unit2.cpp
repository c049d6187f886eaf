#include "workers/Unit2.h"

#include "NewsDownload.h"
#include "workers/NewsTags.h"

#include "toolkit/StringGrid.h"

TTestThread_1::TTestThread_1(tk::TWorkers& owner, tk::TStringGrid* newsGrid)
    : tk::TThread(owner), newsGrid_(newsGrid) {
    Start();
}

void TTestThread_1::Execute() {
    if (newsGrid_) workers::DownloadNews(*newsGrid_);
}

TTestThread_2::TTestThread_2(tk::TWorkers& owner, const workers::TSaveRunSources& window)
    : tk::TThread(owner), window_(window), turn_(workers::QueueSaveRun()) {
    try {
        Start();
    } catch (...) {
        workers::DropSaveRun(turn_); // the run never comes: later runs must not wait for it
        throw;
    }
}

void TTestThread_2::Execute() {
    workers::RunSave(window_, turn_);
}

TTestThread_3::TTestThread_3(tk::TWorkers& owner, tk::TStringGrid* quoteGrid,
                             tk::TStringGrid* newsGrid, int32_t row, std::string quoteTime)
    : tk::TThread(owner), quoteGrid_(quoteGrid), newsGrid_(newsGrid), row_(row),
      quoteTime_(std::move(quoteTime)) {
    Start();
}

void TTestThread_3::Execute() {
    tk::TThread::Synchronize([this] {
        quoteGrid_->SetCells(8, row_,
                             workers::NewsTags(newsGrid_->Store(), workers::NewsKey(quoteTime_)));
    });
}
