// The program's window against the simulated host with its feed stopped, off screen, with
// message boxes answered at once: what the window benchmarks drive by hand.
#pragma once

#include "app/Unit1.h"
#include "host/SimulatedHost.h"
#include "toolkit/Application.h"
#include "toolkit/MessageBox.h"

#include <benchmark/benchmark.h>

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
    virtual ~BenchWindow() = default; // the window (and its workers) before the application
};

// The one window of a benchmark program, made at its first use. It is ended by main
// (RunBenchmarksAndEndTheWindow), never by the exit handlers: those destroy Qt's own
// process-wide objects first, which the application object still refers to as it goes.
inline std::unique_ptr<BenchWindow>& BenchWindowSlot() {
    static std::unique_ptr<BenchWindow>* slot = new std::unique_ptr<BenchWindow>;
    return *slot;
}

template <class Window = BenchWindow> Window& TheWindow() {
    std::unique_ptr<BenchWindow>& slot = BenchWindowSlot();
    if (!slot) slot = std::make_unique<Window>();
    return static_cast<Window&>(*slot);
}

// The main of a benchmark program with a window.
inline int RunBenchmarksAndEndTheWindow(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    BenchWindowSlot().reset();
    return 0;
}
