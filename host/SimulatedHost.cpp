#include "host/SimulatedHost.h"

#include "ComMgr.h"
#include "HOXCOMLib_TLB.h"
#include "HostProcess.h"
#include "com/ClassRegistry.h"

namespace hostsim {

void RegisterSimulatedHost(const HostOptions& options) {
    auto& process = HostProcess::Get();
    process.SetSeed(options.Seed);
    process.SetRate(options.RecordsPerSecond);
    process.SetHealthInterval(options.HealthIntervalMs);
    process.SetClock(options.Clock);
    process.SetLoggedOnAnswer(std::nullopt);
    process.ClearFailures();
    process.ClearCallLog();
    com::CoRegisterClass(hox::CLSID_HoxComMgr, &ComMgr::CreateInstance);
}

void RevokeSimulatedHost() {
    com::CoRevokeClass(hox::CLSID_HoxComMgr);
}

} // namespace hostsim
