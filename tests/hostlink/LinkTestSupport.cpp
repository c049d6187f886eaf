#include "LinkTestSupport.h"

#include "Wire.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace linktest {

TempFolder::TempFolder() {
    char pattern[] = "/tmp/hoxlink-XXXXXX";
    path_ = mkdtemp(pattern);
    chmod(path_.c_str(), 0700);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void PushSource::Start(hostsim::RecordSink& sink) {
    std::lock_guard guard(lock_);
    sink_ = &sink;
}

void PushSource::Stop() {
    std::lock_guard guard(lock_);
    sink_ = nullptr;
}

void PushSource::Watch(std::u16string_view symbol, hostsim::FeedKind kind, bool watched) {
    std::lock_guard guard(lock_);
    if (watched)
        watched_.emplace(symbol, kind);
    else
        watched_.erase({std::u16string(symbol), kind});
}

void PushSource::Push(const hox::QuoteRecord& record) {
    std::lock_guard guard(lock_);
    if (sink_) sink_->OnQuote(record);
}

void PushSource::Push(const hox::Level2Record& record) {
    std::lock_guard guard(lock_);
    if (sink_) sink_->OnLevel2(record);
}

bool PushSource::Watched(std::u16string_view symbol, hostsim::FeedKind kind) const {
    std::lock_guard guard(lock_);
    return watched_.count({std::u16string(symbol), kind}) > 0;
}

TestQuote::TestQuote(uint32_t tick, std::u16string_view name) : symbol(name) {
    r.bstrSymbol = symbol.get();
    r.bstrMarket = market.get();
    r.bstrCompany = company.get();
    r.bstrUnderlier = underlier.get();
    r.dBid = 1.08 + tick * 1e-5;
    r.dAsk = r.dBid + 0.00015;
    r.lBidSize = 500;
    r.lVolume = int32_t(tick * 100);
    r.UTCDateTime = 46000.5;
    r.tick = tick;
    r.putcall = 7;
}

FakeHost::FakeHost(const std::string& socket, Answer answer, bool pings)
    : answer_(std::move(answer)), pings_(pings) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    listen_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    EXPECT_EQ(bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(listen(listen_, 8), 0);
    acceptor_ = std::thread([this] {
        for (;;) {
            const int fd = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) return;
            std::lock_guard guard(lock_);
            auto& [connection, thread] = served_.emplace_back();
            connection = std::make_unique<hostlink::Connection>(fd, nullptr);
            thread = std::thread([this, c = connection.get()] { Serve(*c); });
        }
    });
}

FakeHost::~FakeHost() {
    ::shutdown(listen_, SHUT_RDWR);
    acceptor_.join();
    close(listen_);
    std::lock_guard guard(lock_);
    for (auto& [connection, thread] : served_) connection->Shutdown();
    for (auto& [connection, thread] : served_) thread.join();
}

void FakeHost::Serve(hostlink::Connection& connection) {
    hoxlink::Frame frame;
    if (connection.Read(frame, 5000) != hostlink::Connection::ReadResult::Frame) return;
    const bool session = frame.hello().role() == hostlink::RoleSession;
    frame.Clear();
    frame.mutable_event()->set_version(hostlink::ProtocolVersion);
    frame.mutable_event()->set_desk(1);
    if (!connection.Send(frame)) return;
    for (;;) {
        switch (connection.Read(frame, hostlink::PingIntervalMs)) {
        case hostlink::Connection::ReadResult::Frame: break;
        case hostlink::Connection::ReadResult::Timeout:
            if (session && pings_) {
                frame.Clear();
                frame.set_ping(true);
                connection.Send(frame);
            }
            continue;
        default: return;
        }
        if (!frame.has_call()) continue;
        std::optional<hoxlink::Status> answer = answer_(frame.call());
        if (!answer) continue;
        answer->set_seq(frame.call().seq());
        frame.Clear();
        *frame.mutable_answer() = *answer;
        connection.Send(frame);
    }
}

hoxlink::Status Answered(const google::protobuf::Message& reply) {
    hoxlink::Status answer;
    reply.SerializeToString(answer.mutable_reply());
    return answer;
}

bool RawDesk::Open(const std::string& socket, uint32_t role, uint32_t version,
                   hoxlink::Frame& answer, int receiveBuffer) {
    hostlink::LinkStatus failure;
    connection_ = hostlink::Connection::ConnectLocal(socket, failure);
    if (!connection_) return false;
    if (receiveBuffer)
        setsockopt(connection_->Fd(), SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    hoxlink::Frame hello;
    hello.mutable_hello()->set_version(version);
    hello.mutable_hello()->set_role(role);
    return connection_->Send(hello) &&
           connection_->Read(answer, 5000) == hostlink::Connection::ReadResult::Frame;
}

hoxlink::Status RawDesk::Call(hoxlink::Method method, const google::protobuf::Message& request,
                              google::protobuf::Message& reply) {
    hoxlink::Frame frame;
    frame.mutable_call()->set_seq(++seq_);
    frame.mutable_call()->set_method(method);
    request.SerializeToString(frame.mutable_call()->mutable_request());
    hoxlink::Status failed;
    failed.set_code(-1);
    if (!connection_->Send(frame) ||
        connection_->Read(frame, 5000) != hostlink::Connection::ReadResult::Frame ||
        !frame.has_answer())
        return failed;
    if (frame.answer().code() == 0) reply.ParseFromString(frame.answer().reply());
    return frame.answer();
}

void LinkTest::SetUp() {
    socket = folder.Path() + "/host.sock";
    auto pushed = std::make_unique<PushSource>();
    source = pushed.get();
    hostlink::ServerOptions serverOptions;
    serverOptions.SocketPath = socket;
    serverOptions.HealthIntervalMs = 0;
    serverOptions.LingerSeconds = 3600;
    serverOptions.ServerName = "test host";
    serverOptions.MaxQueuedRecords = 5000; // a desk falls that far behind in a test's time
    server = std::make_unique<hostlink::THostServer>(serverOptions, std::move(pushed));
    ASSERT_TRUE(server->Start());
    options.SocketPath = socket;
    options.CallTimeoutMs = 5000;
    hostlink::RegisterHostProxy(options);
}

void LinkTest::TearDown() {
    apartment.RunPosted();
    hostlink::RevokeHostProxy();
    server.reset();
}

void LinkTest::ReachHostAt(const std::string& socket, int callTimeoutMs) {
    hostlink::RevokeHostProxy();
    hostlink::ProxyOptions other = options;
    other.SocketPath = socket;
    other.CallTimeoutMs = callTimeoutMs;
    hostlink::RegisterHostProxy(other);
}

com::ComPtr<hox::IHoxComMgr> LinkTest::CreateManager() {
    com::ComPtr<hox::IHoxComMgr> m;
    EXPECT_EQ(com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                                    hox::IID_IHoxComMgr, m.PutVoid()),
              com::S_OK)
        << com::TakeErrorInfo(com::RPC_E_DISCONNECTED);
    return m;
}

bool LinkTest::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds within) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (apartment.RunPosted() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace linktest
