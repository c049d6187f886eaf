#include "host/SimulatedHost.h"

#include "ComMgr.h"
#include "HOXCOMLib_TLB.h"
#include "HostProcess.h"
#include "com/ClassRegistry.h"

#include <iostream>

namespace hostsim {

void RegisterSimulatedHost(const HostOptions& options, std::ostream* log) {
    auto& process = HostProcess::Get();
    const bool replaying = !options.Replay.files.empty();
    process.SetReplay(replaying ? OpenReplay(options.Replay, log ? *log : std::cerr) : nullptr);
    process.SetSeed(options.Seed);
    process.SetRate(replaying ? 0 : options.RecordsPerSecond);
    process.SetHealthInterval(options.HealthIntervalMs);
    process.SetClock(options.Clock);
    process.SetLoggedOnAnswer(std::nullopt);
    process.ClearFailures();
    process.ClearCallLog();
    com::CoRegisterClass(hox::CLSID_HoxComMgr, &ComMgr::CreateInstance);
}

void RevokeSimulatedHost() {
    HostProcess::Get().SetReplay(nullptr);
    com::CoRevokeClass(hox::CLSID_HoxComMgr);
}

} // namespace hostsim
