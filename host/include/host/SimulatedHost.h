// Registering the simulated host as the class of the manager, so a client creates it exactly
// as it would create the objects of a separate host program.
#pragma once

#include "host/ReplayOptions.h"
#include "rtl/DateTime.h"

#include <cstdint>
#include <functional>
#include <iosfwd>

namespace hostsim {

struct HostOptions {
    uint64_t Seed = 20240517;
    double RecordsPerSecond = 4;
    int HealthIntervalMs = 15000;
    std::function<rtl::TDateTime()> Clock; // empty: the current UTC time
    // With files, the managers' records come from this replay instead of the simulated market.
    ReplayOptions Replay;
};

// Registers the manager's class and puts every control back to the options: no failures, an
// empty call log, the natural logged-on answer. A replay's files are opened here (raises
// replay::ReplayError when one cannot be replayed); the log hears of the replay.
void RegisterSimulatedHost(const HostOptions& options = {}, std::ostream* log = nullptr);
void RevokeSimulatedHost();

} // namespace hostsim
