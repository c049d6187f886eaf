// The save worker.
#pragma once

#include "toolkit/Thread.h"
#include "workers/SaveRun.h"

// One save run (workers::RunSave), in its turn among the save runs asked for before it.
// Created running on the window thread, like TTestThread_1.
class TTestThread_2 final : public tk::TThread {
public:
    TTestThread_2(tk::TWorkers& owner, const workers::TSaveRunSources& window);

protected:
    void Execute() override;

private:
    workers::TSaveRunSources window_;
    workers::TSaveTurn turn_;
};
