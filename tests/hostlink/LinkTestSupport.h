// What the link's tests share: a host server in the test's process whose source the test
// pushes records through, the proxies registered against it, and the desk's apartment.
#pragma once

#include "../host/HostTestSupport.h"
#include "host/RecordSource.h"
#include "hostlink/HostProxy.h"
#include "hostlink/HostServer.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <utility>

namespace linktest {

// A folder of its own (mode 0700) for the test's socket, removed with what it holds.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The records the test hands it go to the server's fan-out; it remembers what is watched.
class PushSource final : public hostsim::RecordSource {
public:
    void Start(hostsim::RecordSink& sink) override;
    void Stop() override;
    void Watch(std::u16string_view symbol, hostsim::FeedKind kind, bool watched) override;

    void Push(const hox::QuoteRecord& record);
    void Push(const hox::Level2Record& record);
    bool Watched(std::u16string_view symbol, hostsim::FeedKind kind) const;

private:
    mutable std::mutex lock_;
    hostsim::RecordSink* sink_ = nullptr;
    std::set<std::pair<std::u16string, hostsim::FeedKind>> watched_;
};

// A quote whose tick and bid tell it apart, with texts of its own.
struct TestQuote {
    explicit TestQuote(uint32_t tick, std::u16string_view symbol = u"EUR/USD");
    com::Bstr symbol, market{u"FX"}, company{u"Euro"}, underlier{u"EUR"};
    hox::QuoteRecord r{};
};

class LinkTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A manager through the proxies; the test fails unless it is made.
    com::ComPtr<hox::IHoxComMgr> CreateManager();
    // Runs the apartment's calls until done() or the time passed; done()'s last answer.
    bool RunUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds within = std::chrono::seconds(2));

    TempFolder folder;
    std::string socket;
    PushSource* source = nullptr; // owned by the server
    std::unique_ptr<hostlink::THostServer> server;
    hostlink::ProxyOptions options;
    testing_support::QueuedApartment apartment;
};

} // namespace linktest
