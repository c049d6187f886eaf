#include "host/HostControl.h"

#include "HostProcess.h"
#include "Session.h"

namespace hostsim {

void HostControl::SetSeed(uint64_t seed) {
    HostProcess::Get().SetSeed(seed);
}

void HostControl::SetRate(double recordsPerSecond) {
    HostProcess::Get().SetRate(recordsPerSecond);
}

void HostControl::SetHealthInterval(int milliseconds) {
    HostProcess::Get().SetHealthInterval(milliseconds);
}

void HostControl::SetClock(std::function<rtl::TDateTime()> clock) {
    HostProcess::Get().SetClock(std::move(clock));
}

void HostControl::SetLoggedOnAnswer(std::optional<bool> answer) {
    HostProcess::Get().SetLoggedOnAnswer(answer);
}

void HostControl::FailCall(std::string_view name, int32_t hr, int onlyCall) {
    HostProcess::Get().FailCall(name, hr, onlyCall);
}

void HostControl::ClearFailures() {
    HostProcess::Get().ClearFailures();
}

std::vector<std::string> HostControl::CallLog() {
    return HostProcess::Get().CallLog();
}

void HostControl::ClearCallLog() {
    HostProcess::Get().ClearCallLog();
}

void HostControl::InjectQuote(const hox::QuoteRecord& record) {
    for (auto& session : HostProcess::Get().LiveSessions()) session->PostQuote(record);
}

void HostControl::InjectLevel2(const hox::Level2Record& record) {
    for (auto& session : HostProcess::Get().LiveSessions()) session->PostLevel2(record);
}

void HostControl::InjectNext(FeedKind kind) {
    for (auto& session : HostProcess::Get().LiveSessions()) session->PostNext(kind);
}

int HostControl::DeliverNext(FeedKind kind, int count) {
    int made = 0;
    for (auto& session : HostProcess::Get().LiveSessions())
        made += session->DeliverNext(kind, count);
    return made;
}

void HostControl::FireHealth(int32_t selector, int32_t state) {
    for (auto& session : HostProcess::Get().LiveSessions()) session->PostHealth(selector, state);
}

void HostControl::FireEvent(com::DISPID id) {
    for (auto& session : HostProcess::Get().LiveSessions()) session->PostSignal(id);
}

} // namespace hostsim
