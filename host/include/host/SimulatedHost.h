// Registering the simulated host as the class of the manager, so a client creates it exactly
// as it would create the objects of a separate host program.
#pragma once

#include "rtl/DateTime.h"

#include <cstdint>
#include <functional>

namespace hostsim {

struct HostOptions {
    uint64_t Seed = 20240517;
    double RecordsPerSecond = 4;
    int HealthIntervalMs = 15000;
    std::function<rtl::TDateTime()> Clock; // empty: the current UTC time
};

// Registers the manager's class and puts every control back to the options: no failures, an
// empty call log, the natural logged-on answer.
void RegisterSimulatedHost(const HostOptions& options = {});
void RevokeSimulatedHost();

} // namespace hostsim
