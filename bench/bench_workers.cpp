// Starting a worker: one per quote must not cost a thread creation.
#include <benchmark/benchmark.h>

#include "toolkit/Thread.h"
#include "toolkit/Workers.h"

#include <thread>

namespace {

class EmptyWorker final : public tk::TThread {
public:
    explicit EmptyWorker(tk::TWorkers& owner) : tk::TThread(owner) { Start(); }

protected:
    void Execute() override {}
};

// A worker started and ended: its run, its deletion and the count going back to zero.
void BM_StartWorker(benchmark::State& state) {
    tk::TWorkers workers;
    for (auto _ : state) {
        new EmptyWorker(workers);
        workers.WaitForWorkers();
    }
}
BENCHMARK(BM_StartWorker)->UseRealTime();

// What each worker cost when it had a thread of its own.
void BM_StartThread(benchmark::State& state) {
    for (auto _ : state) std::thread([] {}).join();
}
BENCHMARK(BM_StartThread)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
