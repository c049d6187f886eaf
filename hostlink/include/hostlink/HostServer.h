// The host program's server: the manager, order client and quote objects for any number of
// desks over a local socket, with the records of one source fanned out to every subscriber.
#pragma once

#include "host/RecordSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace hostlink {

struct ServerOptions {
    std::string SocketPath;
    int HealthIntervalMs = 15000; // between the health events to each desk; 0: none
    int LingerSeconds = 30;       // the server ends this long after its last desk left
    std::string ServerName = "hoxhost";
    // Records a subscription may hold back for a desk that does not read them; beyond that the
    // desk is too slow for the live feed and the host ends the subscription.
    size_t MaxQueuedRecords = 200000;
    // A source that can wait (a replay) holds back while a subscription holds more records than
    // this, so a slow desk slows the replay down instead of losing records.
    size_t PaceQueuedRecords = 10000;
    // Connections served at once (each desk holds two); further ones are closed at once, so a
    // flood of connections that say nothing cannot take the host's threads.
    int MaxConnections = 256;
    // Desks on other machines: a TCP listener with TLS (certificate and key in PEM files) that
    // admits calls carrying the token of TokenFile. None when ListenAddress is empty.
    std::string ListenAddress; // HOST:PORT; port 0 picks a free one
    std::string TlsCertFile, TlsKeyFile, TokenFile;
};

// What the server refused, for its log and the tests.
struct ServerCounters {
    uint64_t VersionRefused = 0; // desks of another protocol version
    uint64_t BadCalls = 0;       // unknown desks, malformed texts, oversized symbols
    uint64_t SlowDesks = 0;      // subscriptions ended because their desk fell too far behind
    uint64_t BadTokens = 0;      // calls on the TLS listener without the right token
};

class THostServer {
public:
    THostServer(ServerOptions options, std::unique_ptr<hostsim::RecordSource> source);
    ~THostServer();
    THostServer(const THostServer&) = delete;
    THostServer& operator=(const THostServer&) = delete;

    // Checks the socket's folder and listens. False (after saying so on standard error) when
    // another host already serves the socket; raises rtl::Exception when it cannot listen.
    bool Start();
    // Returns once the server lingered out without desks, or after Shutdown.
    void Wait();
    void Shutdown();

    int Desks() const;
    // The TLS listener's port (the one picked for port 0), or 0 without one.
    int ListenPort() const;
    ServerCounters Counters() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace hostlink
