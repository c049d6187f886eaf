#include "workers/DownloadThread.h"

#include "NewsDownload.h"

TTestThread_1::TTestThread_1(tk::TWorkers& owner, tk::TStringGrid* newsGrid)
    : tk::TThread(owner), newsGrid_(newsGrid) {
    Start();
}

void TTestThread_1::Execute() {
    if (newsGrid_) workers::DownloadNews(*newsGrid_);
}
