#include "HostProcess.h"

#include "Session.h"

#include <chrono>

namespace hostsim {

namespace {

// Days since 1899-12-30 of this moment in UTC, to the millisecond.
rtl::TDateTime UtcNow() {
    using namespace std::chrono;
    auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    constexpr double UnixEpochDay = 25569; // 1970-01-01
    return UnixEpochDay + double(ms) / rtl::MSecsPerDay;
}

} // namespace

HostProcess& HostProcess::Get() {
    static HostProcess process;
    return process;
}

HostProcess::~HostProcess() {
    // A manager still alive at process end must not leave its feed thread running into the
    // destruction of this state. Its client references are left alone: the client may
    // already be gone.
    SetReplay(nullptr);
    for (auto& session : LiveSessions()) session->StopFeed();
}

com::HRESULT HostProcess::Enter(std::string_view name, std::string logEntry) {
    std::lock_guard guard(lock_);
    log_.push_back(std::move(logEntry));
    auto rule = failures_.find(name);
    if (rule == failures_.end()) return com::S_OK;
    int call = ++rule->second.seen;
    if (rule->second.onlyCall == 0 || rule->second.onlyCall == call) return rule->second.hr;
    return com::S_OK;
}

void HostProcess::SetSeed(uint64_t seed) {
    std::lock_guard guard(lock_);
    seed_ = seed;
}

uint64_t HostProcess::Seed() const {
    std::lock_guard guard(lock_);
    return seed_;
}

void HostProcess::SetRate(double recordsPerSecond) {
    rate_ = recordsPerSecond > 0 ? recordsPerSecond : 0;
    for (auto& session : LiveSessions()) session->Wake();
}

void HostProcess::SetHealthInterval(int milliseconds) {
    healthInterval_ = milliseconds > 0 ? milliseconds : 0;
    for (auto& session : LiveSessions()) session->Wake();
}

void HostProcess::SetClock(std::function<rtl::TDateTime()> clock) {
    std::lock_guard guard(lock_);
    clock_ = std::move(clock);
}

rtl::TDateTime HostProcess::Now() const {
    std::function<rtl::TDateTime()> clock;
    {
        std::lock_guard guard(lock_);
        clock = clock_;
    }
    return clock ? clock() : UtcNow();
}

void HostProcess::SetLoggedOnAnswer(std::optional<bool> answer) {
    std::lock_guard guard(lock_);
    loggedOnAnswer_ = answer;
}

std::optional<bool> HostProcess::LoggedOnAnswer() const {
    std::lock_guard guard(lock_);
    return loggedOnAnswer_;
}

void HostProcess::FailCall(std::string_view name, com::HRESULT hr, int onlyCall) {
    std::lock_guard guard(lock_);
    failures_.insert_or_assign(std::string(name), FailureRule{hr, onlyCall > 0 ? onlyCall : 0});
}

void HostProcess::ClearFailures() {
    std::lock_guard guard(lock_);
    failures_.clear();
}

std::vector<std::string> HostProcess::CallLog() const {
    std::lock_guard guard(lock_);
    return log_;
}

void HostProcess::ClearCallLog() {
    std::lock_guard guard(lock_);
    log_.clear();
}

void HostProcess::AddSession(const std::shared_ptr<Session>& session) {
    std::lock_guard guard(lock_);
    std::erase_if(sessions_, [](const auto& s) { return s.expired(); });
    sessions_.push_back(session);
}

std::vector<std::shared_ptr<Session>> HostProcess::LiveSessions() const {
    std::lock_guard guard(lock_);
    std::vector<std::shared_ptr<Session>> live;
    for (const auto& s : sessions_)
        if (auto p = s.lock()) live.push_back(std::move(p));
    return live;
}

void HostProcess::SetReplay(std::unique_ptr<RecordSource> replay) {
    std::unique_ptr<RecordSource> old;
    {
        std::lock_guard guard(replayLock_);
        old = std::move(replay_);
        replay_ = std::move(replay);
        watched_.clear();
    }
    if (old) old->Stop();
    RefreshWatches();
    std::lock_guard guard(replayLock_);
    if (replay_) replay_->Start(replaySink_);
}

void HostProcess::RefreshWatches() {
    std::lock_guard guard(replayLock_);
    if (!replay_) return;
    std::set<std::pair<std::u16string, FeedKind>> wanted;
    for (auto& session : LiveSessions()) session->AddWatched(wanted);
    for (const auto& [symbol, kind] : watched_)
        if (!wanted.count({symbol, kind})) replay_->Watch(symbol, kind, false);
    for (const auto& [symbol, kind] : wanted)
        if (!watched_.count({symbol, kind})) replay_->Watch(symbol, kind, true);
    watched_ = std::move(wanted);
}

bool HostProcess::ReplayState(ReplayStatus& status) {
    std::lock_guard guard(replayLock_);
    return replay_ && replay_->Status(status);
}

void HostProcess::PauseReplay(bool paused) {
    std::lock_guard guard(replayLock_);
    if (replay_) replay_->SetPaused(paused);
}

void HostProcess::JumpReplay(int64_t recordUs) {
    std::lock_guard guard(replayLock_);
    if (replay_) replay_->JumpTo(recordUs);
}

void HostProcess::ReplaySink::OnQuote(const hox::QuoteRecord& record) {
    for (auto& session : Get().LiveSessions()) session->PostQuote(record);
}

void HostProcess::ReplaySink::OnLevel2(const hox::Level2Record& record) {
    for (auto& session : Get().LiveSessions()) session->PostLevel2(record);
}

bool HostProcess::ReplaySink::Behind() const {
    for (auto& session : Get().LiveSessions())
        if (session->Behind()) return true;
    return false;
}

} // namespace hostsim
