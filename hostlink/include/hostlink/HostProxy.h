// The desk's side of the host program: proxies registered as the class of the manager, so the
// window creates the host's objects exactly as it creates the embedded host's. Creating the
// manager opens a session on the host (starting the host program when none answers); every call
// of the host's interfaces is forwarded and answers the host's HRESULT; the host's calls into the
// client (records, events) run on the creating thread's apartment between its messages.
#pragma once

#include <string>
#include <vector>

namespace hostlink {

struct ProxyOptions {
    std::string SocketPath; // the host's local socket
    // A host on another machine instead: HOST:PORT over TLS, the host's certificate checked
    // against the authorities of TlsCaFile (PEM), each call carrying the token of TokenFile.
    std::string Address;
    std::string TlsCaFile, TokenFile;
    std::string HostProgram; // started when no host answers at the socket; "" never starts one
    std::vector<std::string> HostArguments; // passed to a host started here, after --socket
    int StartTimeoutMs = 10000;             // for the host to answer after it was started
    int CallTimeoutMs = 5000;               // for each call's answer
};

void RegisterHostProxy(const ProxyOptions& options);
void RevokeHostProxy();

} // namespace hostlink
