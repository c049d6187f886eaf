#include "workers/SaveThread.h"

TTestThread_2::TTestThread_2(tk::TWorkers& owner, const workers::TSaveRunSources& window)
    : tk::TThread(owner), window_(window) {
    Start(); // the turn goes with the object, also when the run never comes
}

void TTestThread_2::Execute() {
    workers::RunSave(window_, turn_);
}
