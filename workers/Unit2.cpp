#include "workers/Unit2.h"

#include "NewsDownload.h"

TTestThread_1::TTestThread_1(tk::TStringGrid* newsGrid) : newsGrid_(newsGrid) {
    Start();
}

void TTestThread_1::Execute() {
    if (newsGrid_) workers::DownloadNews(*newsGrid_);
}
