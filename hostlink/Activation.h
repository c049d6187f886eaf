// Starting the host program for a desk that found none, as a registered local server is
// started: detached from the desk, so it outlives it and serves the desks that come later.
#pragma once

#include "hostlink/HostProxy.h"

#include <string>

namespace hostlink {

// Starts options.HostProgram --socket options.SocketPath with options.HostArguments in a session
// of its own, its standard error the desk's. Returns "" or why it could not start.
std::string StartHostProgram(const ProxyOptions& options);

// Whether the socket's folder may be used: missing (the host will make it) or this user's
// alone. Returns "" or what is wrong with it.
std::string SocketFolderProblem(const std::string& socketPath);

} // namespace hostlink
