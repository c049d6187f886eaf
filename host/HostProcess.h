// The host's process-wide state behind HostControl: settings, failure rules, the call log and
// the live sessions. At process end it stops every feed thread still running.
#pragma once

#include "com/Types.h"
#include "host/HostControl.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

namespace hostsim {

class Session;

class HostProcess {
public:
    static HostProcess& Get();
    ~HostProcess();

    // Logs a call of the client and answers the failure armed for its name, or S_OK.
    com::HRESULT Enter(std::string_view name, std::string logEntry);

    void SetSeed(uint64_t seed);
    uint64_t Seed() const;
    void SetRate(double recordsPerSecond);
    double Rate() const { return rate_.load(); }
    void SetHealthInterval(int milliseconds);
    int HealthInterval() const { return healthInterval_.load(); }
    void SetClock(std::function<rtl::TDateTime()> clock);
    rtl::TDateTime Now() const;
    void SetLoggedOnAnswer(std::optional<bool> answer);
    std::optional<bool> LoggedOnAnswer() const;

    void FailCall(std::string_view name, com::HRESULT hr, int onlyCall);
    void ClearFailures();
    std::vector<std::string> CallLog() const;
    void ClearCallLog();

    void AddSession(const std::shared_ptr<Session>& session);
    std::vector<std::shared_ptr<Session>> LiveSessions() const;

private:
    HostProcess() = default;

    struct FailureRule {
        com::HRESULT hr;
        int onlyCall; // 0: every call
        int seen = 0;
    };

    mutable std::mutex lock_;
    uint64_t seed_ = 0;
    std::atomic<double> rate_{0};
    std::atomic<int> healthInterval_{0};
    std::function<rtl::TDateTime()> clock_;
    std::optional<bool> loggedOnAnswer_;
    std::map<std::string, FailureRule, std::less<>> failures_;
    std::vector<std::string> log_;
    std::vector<std::weak_ptr<Session>> sessions_;
};

} // namespace hostsim
