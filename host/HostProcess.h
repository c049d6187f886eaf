// The host's process-wide state behind HostControl: settings, failure rules, the call log and
// the live sessions. At process end it stops every feed thread still running.
#pragma once

#include "com/Types.h"
#include "host/HostControl.h"
#include "host/RecordSource.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

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

    // The replay that feeds every session instead of the simulated market, started at once;
    // null stops the one running.
    void SetReplay(std::unique_ptr<RecordSource> replay);
    // Tells the replay which symbols and kinds the sessions now subscribe.
    void RefreshWatches();
    // The replay's position; false without a replay.
    bool ReplayState(ReplayStatus& status);
    void PauseReplay(bool paused);
    void JumpReplay(int64_t recordUs);

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

    // The replay's records go to every live session, whose subscriptions pick theirs.
    class ReplaySink final : public RecordSink {
    public:
        void OnQuote(const hox::QuoteRecord& record) override;
        void OnLevel2(const hox::Level2Record& record) override;
        bool Behind() const override;
    };
    ReplaySink replaySink_;
    // Apart from lock_, which the replay's deliveries take: held while the replay is told.
    std::mutex replayLock_;
    std::unique_ptr<RecordSource> replay_;
    std::set<std::pair<std::u16string, FeedKind>> watched_;
};

} // namespace hostsim
