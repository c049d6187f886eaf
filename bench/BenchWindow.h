// The program's window against the simulated host with its feed stopped, off screen, with
// message boxes answered at once: what the window benchmarks drive by hand.
#pragma once

#include "app/Unit1.h"
#include "host/SimulatedHost.h"
#include "toolkit/Application.h"
#include "toolkit/MessageBox.h"

#include <cstdlib>
#include <memory>
#include <string>

struct BenchWindow {
    int argc = 1;
    char name[16] = "bench";
    char* argv[2] = {name, nullptr};
    std::unique_ptr<tk::TApplication> app;
    std::unique_ptr<TForm1> form;
    BenchWindow() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        app = std::make_unique<tk::TApplication>(argc, argv);
        hostsim::HostOptions options;
        options.RecordsPerSecond = 0;
        options.HealthIntervalMs = 0;
        hostsim::RegisterSimulatedHost(options);
        tk::SetMessagePresenter([](const std::string&) {});
        form = std::make_unique<TForm1>();
        if (!form->Create()) std::abort();
    }
};
