// What the link's tests share: a host server in the test's process whose source the test
// pushes records through, the proxies registered against it, and the desk's apartment.
#pragma once

#include "../host/HostTestSupport.h"
#include "Channel.h"
#include "host/RecordSource.h"
#include "hostlink/HostProxy.h"
#include "hostlink/HostServer.h"

#include <chrono>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
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

// A host of the test's making on a socket of its own: it welcomes every session as desk 1 and
// pings it (unless told not to), and answers each call with what answer gives (nothing: the
// call stays unanswered).
class FakeHost {
public:
    using Answer = std::function<std::optional<hoxlink::Status>(const hoxlink::Call&)>;
    FakeHost(const std::string& socket, Answer answer, bool pings = true);
    ~FakeHost();

private:
    void Serve(hostlink::Connection& connection);
    Answer answer_;
    const bool pings_;
    int listen_ = -1;
    std::thread acceptor_;
    std::mutex lock_;
    std::list<std::pair<std::unique_ptr<hostlink::Connection>, std::thread>> served_;
};

// A host's answer to a call: the reply (an empty one, by default).
hoxlink::Status Answered(const google::protobuf::Message& reply = hoxlink::Reply());

// A desk that speaks the link's frames itself, for what the proxies never send.
class RawDesk {
public:
    // Connects in the role with the version; the host's first answer in answer. receiveBuffer
    // (bytes), when given, keeps the socket's receive window small.
    bool Open(const std::string& socket, uint32_t role, uint32_t version, hoxlink::Frame& answer,
              int receiveBuffer = 0);
    // One call and the host's answer (code 0 with the reply parsed into reply).
    hoxlink::Status Call(hoxlink::Method method, const google::protobuf::Message& request,
                         google::protobuf::Message& reply);
    hostlink::Connection& Connection() { return *connection_; }

private:
    std::unique_ptr<hostlink::Connection> connection_;
    uint32_t seq_ = 0;
};

class LinkTest : public testing::Test {
protected:
    // watching: the desk's apartment reads the session itself, as the window's does; else the
    // link's reader thread posts what arrives.
    explicit LinkTest(bool watching = false) : apartment(watching) {}
    void SetUp() override;
    void TearDown() override;

    // Desks made from now on reach the host at socket, each call waiting callTimeoutMs.
    void ReachHostAt(const std::string& socket, int callTimeoutMs = 5000);
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

// The tests that hold for both ways of reading the session.
class LinkModes : public LinkTest, public testing::WithParamInterface<bool> {
protected:
    LinkModes() : LinkTest(GetParam()) {}
};

} // namespace linktest
