#include "hostlink/HostServer.h"

#include "Channel.h"
#include "Wire.h"
#include "hostlink/SocketFolder.h"
#include "rtl/AnsiText.h"
#include "rtl/Exceptions.h"

#include "HOXCOMLib_TLB.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <list>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

namespace hostlink {

namespace {

using hostsim::FeedKind;
using Clock = std::chrono::steady_clock;

// States the health event (selector 0) reports, as the embedded host does.
constexpr int32_t StateConnecting = 1, StateConnected = 2, StateLoggedOn = 3;
// How long a new connection has for its TLS handshake and its hello.
constexpr int HelloTimeoutMs = 5000;
// The most bytes of records in one message: well below the frame limit whatever the texts.
constexpr size_t MaxBatchBytes = MaxFrameBytes / 2;

// A file's whole text; raises rtl::Exception naming what could not be read.
std::string ReadWhole(const std::string& what, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (!in || !(text << in.rdbuf())) throw rtl::Exception("Cannot read the " + what + " " + path);
    return text.str();
}

void Log(const std::string& line) {
    std::fprintf(stderr, "hoxhost: %s\n", line.c_str());
}

int64_t Now() {
    return Clock::now().time_since_epoch().count();
}

LinkStatus FailedPreconditionOf(uint32_t version) {
    return {Code::FailedPrecondition, "The desk speaks protocol version " +
                                          std::to_string(version) + ", the host version " +
                                          std::to_string(ProtocolVersion)};
}

// A listening socket: the local one, or TCP for desks elsewhere. Raises rtl::Exception.
int ListenLocal(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        throw rtl::Exception("The socket path " + path + " is too long");
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 64) != 0) {
        const std::string why = std::strerror(errno);
        if (fd >= 0) close(fd);
        throw rtl::Exception("Cannot listen on unix:" + path + ": " + why);
    }
    return fd;
}

int ListenTcp(const std::string& address, int& port) {
    const size_t colon = address.rfind(':');
    std::string host = colon == std::string::npos ? "" : address.substr(0, colon);
    const std::string service = colon == std::string::npos ? address : address.substr(colon + 1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.empty() ? nullptr : host.c_str(), service.c_str(), &hints, &found) != 0)
        throw rtl::Exception("Cannot listen on " + address + ": no such address");
    int fd = -1;
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        const int on = 1;
        if (fd >= 0) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (fd >= 0 && (bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, 64) != 0)) {
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    if (fd < 0) throw rtl::Exception("Cannot listen on " + address + ": " + std::strerror(errno));
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
    port = ntohs(bound.ss_family == AF_INET6
                     ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                     : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    return fd;
}

} // namespace

// The server. Calls come in on each desk's calls connection and run on that connection's
// thread; records go out on the desk's session connection, written by whichever thread has
// them (the source's, for a new record) as long as the socket takes them, and by the session's
// own thread once it is full.
class THostServer::Impl final : public hostsim::RecordSink {
public:
    Impl(ServerOptions options, std::unique_ptr<hostsim::RecordSource> source)
        : options_(std::move(options)), source_(std::move(source)) {}

    ~Impl() {
        Shutdown();
        if (lockFd_ >= 0) close(lockFd_);
    }

    bool Start() {
        CheckSocketFolder(options_.SocketPath, true);
        // One host per socket: the lock is held for the host's life, so a second host started
        // by a racing desk leaves quietly instead of taking the socket over.
        const std::string lockPath = options_.SocketPath + ".lock";
        lockFd_ = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (lockFd_ < 0) throw rtl::Exception("Cannot open " + lockPath);
        if (flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
            Log("another host serves unix:" + options_.SocketPath);
            return false;
        }
        if (!options_.ListenAddress.empty()) {
            tls_ = TlsContext::ForServer(options_.TlsCertFile, options_.TlsKeyFile);
            token_ = ReadWhole("token file", options_.TokenFile);
            while (!token_.empty() && (token_.back() == '\n' || token_.back() == '\r'))
                token_.pop_back();
            if (token_.empty())
                throw rtl::Exception("The token file " + options_.TokenFile + " is empty");
        }
        unlink(options_.SocketPath.c_str()); // left by a host that died
        localFd_ = ListenLocal(options_.SocketPath);
        if (tls_) tcpFd_ = ListenTcp(options_.ListenAddress, listenPort_);
        source_->Start(*this);
        lastDeskLeft_ = Clock::now();
        housekeeping_ = std::thread([this] { Housekeep(); });
        listeners_.emplace_back([this] { AcceptLoop(localFd_, false); });
        if (tls_) listeners_.emplace_back([this] { AcceptLoop(tcpFd_, true); });
        Log("serving unix:" + options_.SocketPath);
        if (tls_)
            Log("serving " + options_.ListenAddress + " with TLS, port " +
                std::to_string(listenPort_));
        return true;
    }

    int ListenPort() const { return listenPort_; }

    void Wait() {
        std::unique_lock lk(lock_);
        ended_.wait(lk, [&] { return stopping_; });
    }

    // Ends the server: from a signal's thread, the linger or the owner, once.
    void Shutdown() {
        std::lock_guard once(shutdownLock_);
        if (shutDown_) return;
        shutDown_ = true;
        std::vector<SubscriptionPtr> ending;
        {
            std::lock_guard guard(lock_);
            stopping_ = true;
            ending = EndWhere([](const Subscription&) { return true; });
        }
        ActOn(ending);
        ended_.notify_all();
        if (housekeeping_.joinable()) housekeeping_.join();
        for (int fd : {localFd_, tcpFd_})
            if (fd >= 0) ::shutdown(fd, SHUT_RDWR); // wakes its accept
        for (auto& listener : listeners_) listener.join();
        for (int fd : {localFd_, tcpFd_})
            if (fd >= 0) close(fd);
        if (localFd_ >= 0) unlink(options_.SocketPath.c_str());
        localFd_ = tcpFd_ = -1;
        std::list<Worker> workers;
        {
            std::lock_guard guard(workersLock_);
            for (auto& w : workers_) w.connection->Shutdown();
            workers.swap(workers_);
        }
        for (auto& w : workers) w.thread.join();
        source_->Stop();
    }

    int Desks() const {
        std::lock_guard guard(lock_);
        return int(desks_.size());
    }

    ServerCounters Counters() const {
        std::lock_guard guard(lock_);
        return counters_;
    }

    // The source's records, fanned out to every subscription of their symbol and kind.
    void OnQuote(const hox::QuoteRecord& record) override {
        auto records = std::make_shared<hoxlink::Records>();
        ToWire(record, *records->add_quotes());
        FanOut(FeedKind::Quote, com::BstrView(record.bstrSymbol), std::move(records));
    }
    void OnLevel2(const hox::Level2Record& record) override {
        auto records = std::make_shared<hoxlink::Records>();
        ToWire(record, *records->add_level2());
        FanOut(FeedKind::Level2, com::BstrView(record.bstrSymbol), std::move(records));
    }
    // A replay waits while a desk's stream holds back more than the pace bound.
    bool Behind() const override {
        std::lock_guard guard(lock_);
        for (const auto& sub : subscriptions_)
            if (!sub->ended && sub->queue.size() > options_.PaceQueuedRecords) return true;
        return false;
    }

private:
    struct Subscription;
    using SubscriptionPtr = std::shared_ptr<Subscription>;

    // The sending side of a desk's session connection. Frames go out at once while the socket
    // takes them; the rest waits here for the session's thread. A subscription whose message
    // had to wait hears when it went out (WriteDone), and sends no other meanwhile, so what
    // waits here stays one message per subscription.
    class Outlet {
    public:
        enum class Sent { Now, Later, Gone };
        explicit Outlet(std::shared_ptr<Connection> connection)
            : connection_(std::move(connection)),
              wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
        ~Outlet() { close(wake_); }

        Sent Send(const hoxlink::Frame& frame, SubscriptionPtr waiter = nullptr) {
            std::lock_guard guard(lock_);
            if (gone_) return Sent::Gone;
            const size_t before = pending_.size();
            if (!EncodeFrame(frame, pending_)) return Sent::Now; // bounded by its makers
            if (before == offset_) WriteLocked();
            if (gone_) return Sent::Gone;
            if (offset_ == pending_.size()) {
                base_ += pending_.size();
                pending_.clear();
                offset_ = 0;
                return Sent::Now;
            }
            if (waiter) waiters_.push_back({base_ + pending_.size(), std::move(waiter)});
            const uint64_t one = 1;
            [[maybe_unused]] auto n = write(wake_, &one, sizeof one);
            return Sent::Later;
        }

        // Session thread: writes what waits; the waiters whose messages went out (all of them,
        // once the connection has gone), and whether it has.
        std::vector<SubscriptionPtr> Flush(bool& gone) {
            std::vector<SubscriptionPtr> done;
            std::lock_guard guard(lock_);
            if (!gone_ && offset_ < pending_.size()) WriteLocked();
            gone = gone_;
            const uint64_t out = base_ + offset_;
            while (!waiters_.empty() && (gone_ || waiters_.front().first <= out)) {
                done.push_back(std::move(waiters_.front().second));
                waiters_.pop_front();
            }
            if (offset_ == pending_.size() || gone_) {
                base_ += pending_.size();
                pending_.clear();
                offset_ = 0;
            }
            return done;
        }

        bool Pending() {
            std::lock_guard guard(lock_);
            return offset_ < pending_.size();
        }
        // Reads what arrived; false when the connection has gone. The socket is shared with the
        // writers, so TLS reads take the same lock.
        bool ReadAvailable() {
            std::lock_guard guard(lock_);
            return connection_->ReadAvailable();
        }
        FrameParser::Result NextFrame(hoxlink::Frame& frame) {
            std::lock_guard guard(lock_);
            return connection_->NextFrame(frame);
        }
        void Close() {
            std::lock_guard guard(lock_);
            gone_ = true;
            connection_->Shutdown();
        }
        int Fd() const { return connection_->Fd(); }
        int WakeFd() const { return wake_; }

    private:
        void WriteLocked() {
            while (offset_ < pending_.size()) {
                const long n = connection_->WriteSome(pending_.data() + offset_,
                                                      pending_.size() - offset_);
                if (n < 0) gone_ = true;
                if (n <= 0) return;
                offset_ += size_t(n);
            }
        }

        std::mutex lock_;
        const std::shared_ptr<Connection> connection_;
        const int wake_;
        std::string pending_;
        size_t offset_ = 0;
        uint64_t base_ = 0; // the stream's bytes before pending_
        bool gone_ = false;
        std::deque<std::pair<uint64_t, SubscriptionPtr>> waiters_; // by the end of their message
    };

    struct Desk {
        uint64_t id = 0;
        bool loggedOn = false;
        std::set<uint64_t> quotes;
        std::set<uint32_t> cookies;
        std::shared_ptr<Outlet> outlet;
        std::atomic<int64_t> lastHeard{0};
    };

    // Under lock_, but for out, which the holder of the stream's turn fills and sends.
    struct Subscription {
        uint64_t desk = 0, quotes = 0, notify = 0, stream = 0;
        std::u16string symbol;
        FeedKind kind = FeedKind::Quote;
        std::deque<std::shared_ptr<const hoxlink::Records>> queue;
        bool ended = false;
        bool slow = false;
        uint64_t dropped = 0; // the records dropped when the desk fell too far behind
        std::shared_ptr<Outlet> outlet;
        // The stream's turn: one thread at a time sends its next message or its end.
        bool busy = false;
        bool finished = false;
        bool finishing = false;
        hoxlink::Frame out;
    };

    // A connection's thread.
    struct Worker {
        std::thread thread;
        std::shared_ptr<Connection> connection;
        std::shared_ptr<std::atomic<bool>> done;
    };

    void AcceptLoop(int listenFd, bool tls) {
        for (;;) {
            const int fd = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                {
                    std::lock_guard guard(lock_);
                    if (stopping_) return;
                }
                if (errno == EINTR || errno == ECONNABORTED) continue;
                // Out of descriptors, say: the desks that hold theirs go on.
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
            auto connection = std::make_shared<Connection>(fd, tls ? tls_ : nullptr);
            std::lock_guard guard(workersLock_);
            for (auto it = workers_.begin(); it != workers_.end();)
                if (*it->done) {
                    it->thread.join();
                    it = workers_.erase(it);
                } else {
                    ++it;
                }
            {
                std::lock_guard stop(lock_);
                if (stopping_) return;
            }
            if (int(workers_.size()) >= options_.MaxConnections) {
                Refuse(&ServerCounters::BadCalls,
                       "a connection beyond the " + std::to_string(options_.MaxConnections) +
                           " the host serves");
                connection->Shutdown();
                continue;
            }
            auto done = std::make_shared<std::atomic<bool>>(false);
            workers_.push_back({std::thread([this, connection, tls, done] {
                                    Serve(connection, tls);
                                    connection->Shutdown(); // the desk hears the end at once
                                    *done = true;
                                }),
                                connection, done});
        }
    }

    void Serve(const std::shared_ptr<Connection>& connection, bool tls) {
        if (!connection->Accept(HelloTimeoutMs)) {
            Refuse(&ServerCounters::BadCalls, "a connection whose TLS handshake failed");
            return;
        }
        hoxlink::Frame first;
        if (connection->Read(first, HelloTimeoutMs) != Connection::ReadResult::Frame ||
            !first.has_hello()) {
            Refuse(&ServerCounters::BadCalls, "a connection that did not say hello");
            return;
        }
        const hoxlink::Hello& hello = first.hello();
        LinkStatus refusal;
        if (hello.version() != ProtocolVersion) {
            Refuse(&ServerCounters::VersionRefused,
                   "a desk of protocol version " + std::to_string(hello.version()));
            refusal = FailedPreconditionOf(hello.version());
        } else if (tls && !TokenMatches(hello.token())) {
            Refuse(&ServerCounters::BadTokens, "a desk with a wrong access token");
            refusal = {Code::Unauthenticated, "the access token does not match"};
        } else if (hello.role() != RoleSession && hello.role() != RoleCalls) {
            Refuse(&ServerCounters::BadCalls,
                   "a connection of unknown role " + std::to_string(hello.role()));
            refusal = {Code::InvalidArgument, "unknown connection role"};
        }
        if (refusal.ok()) {
            std::lock_guard guard(lock_);
            if (stopping_) refusal = {Code::Unavailable, "the host is ending"};
        }
        if (!refusal.ok()) {
            hoxlink::Frame refused;
            refused.mutable_refused()->set_code(int32_t(refusal.code));
            refused.mutable_refused()->set_message(refusal.message);
            connection->Send(refused);
            return;
        }
        if (hello.role() == RoleSession)
            ServeSession(connection, hello.desk_name());
        else
            ServeCalls(*connection);
    }

    bool TokenMatches(const std::string& given) const {
        // Compared in full whatever the first difference, so the time says nothing.
        unsigned char differ = given.size() != token_.size();
        for (size_t i = 0; i < given.size() && i < token_.size(); ++i)
            differ |= given[i] ^ token_[i];
        return !differ;
    }

    // A desk's calls, one after the other, each answered before the next is read.
    void ServeCalls(Connection& connection) {
        hoxlink::Frame frame;
        frame.mutable_event()->set_version(ProtocolVersion);
        if (!connection.Send(frame)) return;
        for (;;) {
            switch (connection.Read(frame, -1)) {
            case Connection::ReadResult::Frame: break;
            case Connection::ReadResult::Malformed:
                Refuse(&ServerCounters::BadCalls, "a malformed message");
                continue;
            case Connection::ReadResult::Oversized:
                Refuse(&ServerCounters::BadCalls, "an oversized message");
                return;
            default: return;
            }
            if (!frame.has_call()) {
                Refuse(&ServerCounters::BadCalls, "a message that is no call");
                continue;
            }
            hoxlink::Frame answer;
            *answer.mutable_answer() = Dispatch(frame.call());
            if (!connection.Send(answer)) return;
        }
    }

    // A desk's session: its events and records go out, its answers to pings come in. The desk
    // and what it holds on the host live while the session does.
    void ServeSession(const std::shared_ptr<Connection>& connection, const std::string& name) {
        auto desk = std::make_shared<Desk>();
        desk->outlet = std::make_shared<Outlet>(connection);
        desk->lastHeard = Now();
        fcntl(connection->Fd(), F_SETFL, fcntl(connection->Fd(), F_GETFL) | O_NONBLOCK);
        hoxlink::Frame frame;
        {
            std::lock_guard guard(lock_);
            if (stopping_) return;
            desk->id = nextId_++;
            frame.mutable_event()->set_version(ProtocolVersion);
            frame.mutable_event()->set_desk(desk->id);
            desk->outlet->Send(frame); // before any event the desk's calls may cause
            desks_.emplace(desk->id, desk);
        }
        Log("desk " + std::to_string(desk->id) + " (" + name.substr(0, 64) + ") opened");
        Outlet& outlet = *desk->outlet;
        for (;;) {
            pollfd polled[2] = {
                {outlet.Fd(), short(POLLIN | (outlet.Pending() ? POLLOUT : 0)), 0},
                {outlet.WakeFd(), POLLIN, 0}};
            if (poll(polled, 2, 500) < 0 && errno != EINTR) break;
            if (polled[1].revents & POLLIN) {
                uint64_t count;
                [[maybe_unused]] auto n = read(outlet.WakeFd(), &count, sizeof count);
            }
            bool gone = false;
            if (polled[0].revents & (POLLIN | POLLHUP | POLLERR)) gone = !outlet.ReadAvailable();
            for (bool more = true; more && !gone;) {
                switch (outlet.NextFrame(frame)) {
                case FrameParser::Result::None: more = false; break;
                case FrameParser::Result::Frame:
                    desk->lastHeard = Now();
                    if (!frame.has_pong())
                        Refuse(&ServerCounters::BadCalls, "a message a session does not take");
                    break;
                case FrameParser::Result::Malformed:
                    Refuse(&ServerCounters::BadCalls, "a malformed message");
                    break;
                case FrameParser::Result::Oversized:
                    Refuse(&ServerCounters::BadCalls, "an oversized message");
                    gone = true;
                    break;
                }
            }
            bool closed = false;
            for (auto& sub : outlet.Flush(closed)) WriteDone(sub, !closed);
            // Shutdown ends the session by shutting its socket.
            if (gone || closed) break;
        }
        outlet.Close();
        bool closed = false;
        for (auto& sub : outlet.Flush(closed)) WriteDone(sub, false);
        RemoveDesk(desk);
    }

    // Runs one call: its request read, its handler, its reply written.
    template <class Request, class Reply>
    hoxlink::Status Run(const hoxlink::Call& call,
                        LinkStatus (Impl::*handler)(const Request&, Reply&)) {
        hoxlink::Status answer;
        answer.set_seq(call.seq());
        Request request;
        if (!request.ParseFromString(call.request())) {
            Refuse(&ServerCounters::BadCalls, "a malformed call");
            answer.set_code(int32_t(Code::InvalidArgument));
            answer.set_message("the call's request is malformed");
            return answer;
        }
        Reply reply;
        const LinkStatus status = (this->*handler)(request, reply);
        answer.set_code(int32_t(status.code));
        answer.set_message(status.message);
        if (status.ok()) reply.SerializeToString(answer.mutable_reply());
        return answer;
    }

    hoxlink::Status Dispatch(const hoxlink::Call& call) {
        switch (call.method()) {
        case hoxlink::GET_LOGGED_ON: return Run(call, &Impl::GetLoggedOn);
        case hoxlink::GET_ORDER_CLIENT: return Run(call, &Impl::GetOrderClient);
        case hoxlink::GET_QUOTES: return Run(call, &Impl::GetQuotes);
        case hoxlink::SET_MANAGER_FLAG: return Run(call, &Impl::SetManagerFlag);
        case hoxlink::LOGON: return Run(call, &Impl::Logon);
        case hoxlink::SET_ORDER_CLIENT_FLAG: return Run(call, &Impl::SetOrderClientFlag);
        case hoxlink::ADVISE: return Run(call, &Impl::Advise);
        case hoxlink::UNADVISE: return Run(call, &Impl::Unadvise);
        case hoxlink::SUBSCRIBE: return Run(call, &Impl::Subscribe);
        case hoxlink::UNSUBSCRIBE: return Run(call, &Impl::Unsubscribe);
        case hoxlink::RELEASE_QUOTES: return Run(call, &Impl::ReleaseQuotes);
        case hoxlink::GET_REPLAY: return Run(call, &Impl::GetReplay);
        case hoxlink::CONTROL_REPLAY: return Run(call, &Impl::ControlReplay);
        default: break;
        }
        Refuse(&ServerCounters::BadCalls, "an unknown call " + std::to_string(call.method()));
        hoxlink::Status answer;
        answer.set_seq(call.seq());
        answer.set_code(int32_t(Code::Unimplemented));
        answer.set_message("the host does not know call " + std::to_string(call.method()));
        return answer;
    }

    LinkStatus GetLoggedOn(const hoxlink::DeskCall& request, hoxlink::Reply& reply) {
        std::lock_guard guard(lock_);
        Desk* desk = Find(request.desk());
        if (!desk) return UnknownDesk(request.desk());
        reply.set_flag(desk->loggedOn);
        return {};
    }

    // The source is asked outside lock_: its thread takes lock_ while it delivers.
    LinkStatus GetReplay(const hoxlink::DeskCall& request, hoxlink::ReplayState& reply) {
        {
            std::lock_guard guard(lock_);
            if (!Find(request.desk())) return UnknownDesk(request.desk());
        }
        hostsim::ReplayStatus status;
        reply.set_replaying(source_->Status(status));
        reply.set_record_us(status.positionUs);
        reply.set_percent(status.percent);
        reply.set_paused(status.paused);
        reply.set_ended(status.ended);
        return {};
    }

    LinkStatus ControlReplay(const hoxlink::ReplayCommand& request, hoxlink::Reply&) {
        {
            std::lock_guard guard(lock_);
            if (!Find(request.desk())) return UnknownDesk(request.desk());
        }
        if (request.set_paused()) source_->SetPaused(request.paused());
        if (request.jump()) source_->JumpTo(request.record_us());
        return {};
    }

    LinkStatus GetOrderClient(const hoxlink::DeskCall& request, hoxlink::Reply&) {
        std::lock_guard guard(lock_);
        return Find(request.desk()) ? LinkStatus{} : UnknownDesk(request.desk());
    }

    LinkStatus GetQuotes(const hoxlink::DeskCall& request, hoxlink::Reply& reply) {
        std::lock_guard guard(lock_);
        Desk* desk = Find(request.desk());
        if (!desk) return UnknownDesk(request.desk());
        const uint64_t id = nextId_++;
        desk->quotes.insert(id);
        reply.set_id(id);
        return {};
    }

    LinkStatus SetManagerFlag(const hoxlink::FlagCall& request, hoxlink::Reply&) {
        std::lock_guard guard(lock_);
        return Find(request.desk()) ? LinkStatus{} : UnknownDesk(request.desk());
    }

    LinkStatus SetOrderClientFlag(const hoxlink::FlagCall& request, hoxlink::Reply&) {
        std::lock_guard guard(lock_);
        return Find(request.desk()) ? LinkStatus{} : UnknownDesk(request.desk());
    }

    // Any user name and password that are not empty log on; the events follow as the embedded
    // host sends them.
    LinkStatus Logon(const hoxlink::LogonCall& request, hoxlink::Reply& reply) {
        std::u16string user, password;
        const bool readable =
            FromWire(request.user_name(), user) && FromWire(request.password(), password);
        std::lock_guard guard(lock_);
        Desk* desk = Find(request.desk());
        if (!desk) return UnknownDesk(request.desk());
        if (!readable) {
            RefuseLocked(&ServerCounters::BadCalls, "a logon with a malformed name or password");
            reply.set_hr(com::E_INVALIDARG);
            return {};
        }
        const bool accepted = !user.empty() && !password.empty();
        desk->loggedOn = accepted;
        Fire(*desk, hox::DISPID_HealthUpdate, {0, StateConnecting});
        if (accepted) {
            Fire(*desk, hox::DISPID_Connected, {});
            Fire(*desk, hox::DISPID_ConnectionInfo, {}, true);
        }
        Fire(*desk, hox::DISPID_HealthUpdate, {0, accepted ? StateLoggedOn : StateConnected});
        reply.set_flag(accepted);
        return {};
    }

    LinkStatus Advise(const hoxlink::DeskCall& request, hoxlink::Reply& reply) {
        std::lock_guard guard(lock_);
        Desk* desk = Find(request.desk());
        if (!desk) return UnknownDesk(request.desk());
        const auto cookie = uint32_t(nextCookie_++);
        desk->cookies.insert(cookie);
        reply.set_id(cookie);
        return {};
    }

    LinkStatus Unadvise(const hoxlink::CookieCall& request, hoxlink::Reply& reply) {
        std::lock_guard guard(lock_);
        Desk* desk = Find(request.desk());
        if (!desk) return UnknownDesk(request.desk());
        if (!desk->cookies.erase(request.cookie())) reply.set_hr(com::CONNECT_E_NOCONNECTION);
        return {};
    }

    // The answer is the HRESULT of Subscribe alone; the records follow on the desk's session,
    // tagged with the stream the desk named. The source hears of the new subscriber before the
    // desk hears its answer.
    LinkStatus Subscribe(const hoxlink::SubscribeCall& request, hoxlink::Reply& reply) {
        auto sub = std::make_shared<Subscription>();
        bool listed = false;
        std::shared_ptr<Outlet> duplicate;
        {
            std::lock_guard guard(lock_);
            if (stopping_) return {Code::Unavailable, "the host is ending"};
            Desk* desk = Find(request.desk());
            if (!desk) return UnknownDesk(request.desk());
            reply.set_hr(Admit(*desk, request, sub, listed));
            if (!com::FAILED(reply.hr()) && !listed) duplicate = desk->outlet;
        }
        if (listed) UpdateWatch(sub->symbol, sub->kind);
        if (duplicate) { // already subscribed: the records go on in the first stream
            hoxlink::Frame end;
            end.mutable_end()->set_stream(request.stream());
            duplicate->Send(end);
        }
        return {};
    }

    LinkStatus Unsubscribe(const hoxlink::QuotesCall& request, hoxlink::Reply& reply) {
        std::vector<SubscriptionPtr> ending;
        {
            std::lock_guard guard(lock_);
            Desk* desk = Find(request.desk());
            if (!desk) return UnknownDesk(request.desk());
            if (!request.notify()) {
                reply.set_hr(com::E_POINTER);
            } else if (!desk->quotes.count(request.quotes())) {
                reply.set_hr(com::E_INVALIDARG);
            } else {
                ending = EndWhere([&](const Subscription& s) {
                    return s.desk == desk->id && s.quotes == request.quotes() &&
                           s.notify == request.notify();
                });
            }
        }
        ActOn(ending);
        return {};
    }

    LinkStatus ReleaseQuotes(const hoxlink::QuotesCall& request, hoxlink::Reply&) {
        std::vector<SubscriptionPtr> ending;
        {
            std::lock_guard guard(lock_);
            Desk* desk = Find(request.desk());
            if (!desk) return UnknownDesk(request.desk());
            desk->quotes.erase(request.quotes());
            ending = EndWhere([&](const Subscription& s) {
                return s.desk == desk->id && s.quotes == request.quotes();
            });
        }
        ActOn(ending);
        return {};
    }

    void Refuse(uint64_t ServerCounters::*counter, const std::string& what) {
        std::lock_guard guard(lock_);
        RefuseLocked(counter, what);
    }
    void RefuseLocked(uint64_t ServerCounters::*counter, const std::string& what) {
        const uint64_t n = ++(counters_.*counter);
        Log("refused " + what + " (" + std::to_string(n) + " so far)");
    }

    // Under lock_: the refusal of a call for a desk the host does not know (one that left).
    LinkStatus UnknownDesk(uint64_t desk) {
        RefuseLocked(&ServerCounters::BadCalls, "a call for unknown desk " + std::to_string(desk));
        return {Code::NotFound, "desk " + std::to_string(desk) + " has no session on this host"};
    }

    // Under lock_.
    Desk* Find(uint64_t id) {
        auto it = desks_.find(id);
        return it == desks_.end() ? nullptr : it->second.get();
    }

    // Under lock_: the HRESULT of a Subscribe, the subscription filled in and listed when it
    // starts a stream of records.
    com::HRESULT Admit(Desk& desk, const hoxlink::SubscribeCall& request,
                       const SubscriptionPtr& sub, bool& listed) {
        std::u16string symbol;
        if (!FromWire(request.symbol(), symbol)) {
            RefuseLocked(&ServerCounters::BadCalls,
                         "a subscription with a malformed or oversized symbol (" +
                             std::to_string(request.symbol().size()) + " bytes)");
            return com::E_INVALIDARG;
        }
        if (!request.notify()) return com::E_POINTER;
        if (request.kind() != int32_t(FeedKind::Level2) &&
            request.kind() != int32_t(FeedKind::Quote))
            return com::E_INVALIDARG;
        if (!desk.quotes.count(request.quotes())) return com::E_INVALIDARG;
        for (const auto& s : subscriptions_)
            if (s->desk == desk.id && s->quotes == request.quotes() &&
                s->notify == request.notify() && s->symbol == symbol &&
                s->kind == FeedKind(request.kind()) && !s->ended)
                return com::S_OK; // already subscribed: one stream, not two
        sub->desk = desk.id;
        sub->quotes = request.quotes();
        sub->notify = request.notify();
        sub->stream = request.stream();
        sub->symbol = std::move(symbol);
        sub->kind = FeedKind(request.kind());
        sub->outlet = desk.outlet;
        subscriptions_.push_back(sub);
        listed = true;
        return com::S_OK;
    }

    void FanOut(FeedKind kind, std::u16string_view symbol,
                std::shared_ptr<const hoxlink::Records> records) {
        std::vector<SubscriptionPtr> idle;
        {
            std::lock_guard guard(lock_);
            for (auto& sub : subscriptions_) {
                if (sub->ended || sub->kind != kind || sub->symbol != symbol) continue;
                if (sub->queue.size() >= options_.MaxQueuedRecords) {
                    sub->slow = sub->ended = true;
                    sub->dropped = sub->queue.size() + 1; // with this one
                    sub->queue.clear();
                    RefuseLocked(&ServerCounters::SlowDesks,
                                 "to queue more records for slow desk " +
                                     std::to_string(sub->desk));
                } else {
                    sub->queue.push_back(records);
                }
                if (TakeTurn(*sub)) idle.push_back(sub);
            }
        }
        ActOn(idle);
    }

    // Under lock_: takes the stream's turn when no one holds it and there is something to do,
    // the next message of records or the end of an ended stream. The caller then acts on it
    // (ActOn) once it let go of the lock.
    bool TakeTurn(Subscription& sub) {
        if (sub.busy || sub.finished) return false;
        if (!sub.queue.empty()) {
            sub.out.Clear();
            hoxlink::StreamRecords& out = *sub.out.mutable_records();
            out.set_stream(sub.stream);
            size_t bytes = 0;
            for (int n = 0; n < MaxBatchRecords && !sub.queue.empty() && bytes < MaxBatchBytes;
                 ++n) {
                bytes += sub.queue.front()->ByteSizeLong();
                out.mutable_records()->MergeFrom(*sub.queue.front());
                sub.queue.pop_front();
            }
            sub.finishing = false;
        } else if (sub.ended) {
            sub.finishing = sub.finished = true;
        } else {
            return false;
        }
        sub.busy = true;
        return true;
    }

    // Without lock_: sends the messages or the ends of the streams whose turns the caller took,
    // as long as their sockets take them.
    void ActOn(const std::vector<SubscriptionPtr>& subs) {
        for (const auto& sub : subs) Act(sub);
    }
    void Act(const SubscriptionPtr& sub) {
        for (;;) {
            if (sub->finishing) {
                hoxlink::Frame frame;
                hoxlink::StreamEnd& end = *frame.mutable_end();
                end.set_stream(sub->stream);
                if (sub->slow) { // set before the turn was taken, never unset
                    end.set_code(int32_t(Code::ResourceExhausted));
                    end.set_message("the desk fell more than " +
                                    std::to_string(options_.MaxQueuedRecords) +
                                    " records behind");
                    end.set_dropped(sub->dropped);
                }
                sub->outlet->Send(frame);
                Done(sub);
                return;
            }
            const Outlet::Sent sent = sub->outlet->Send(sub->out, sub);
            if (sent == Outlet::Sent::Later) return; // WriteDone follows
            std::lock_guard guard(lock_);
            if (!Next(*sub, sent == Outlet::Sent::Now)) return;
        }
    }

    // Under lock_: the stream's message went out (ok) or its desk went away; whether the
    // caller holds the stream's next turn.
    bool Next(Subscription& sub, bool ok) {
        sub.busy = false;
        if (!ok) {
            sub.ended = true;
            sub.queue.clear();
        }
        return TakeTurn(sub);
    }

    void WriteDone(const SubscriptionPtr& sub, bool ok) {
        bool next = false;
        {
            std::lock_guard guard(lock_);
            next = Next(*sub, ok);
        }
        if (next) Act(sub);
    }

    // The stream is over: the subscription is unlisted, and the housekeeping thread tells the
    // source. Not this thread: it may be the source's own, delivering a record under the
    // source's lock, which the source's Watch takes.
    void Done(const SubscriptionPtr& sub) {
        {
            std::lock_guard guard(lock_);
            sub->ended = true;
            std::erase(subscriptions_, sub);
            unwatched_.emplace_back(sub->symbol, sub->kind);
        }
        ended_.notify_all();
    }

    // Under lock_: ends the matching subscriptions; the streams whose turns were taken for
    // their end are for the caller to act on.
    template <class Match> std::vector<SubscriptionPtr> EndWhere(Match match) {
        std::vector<SubscriptionPtr> ending;
        for (auto& sub : subscriptions_)
            if (match(*sub)) {
                sub->ended = true;
                if (TakeTurn(*sub)) ending.push_back(sub);
            }
        return ending;
    }

    // Tells the source whether anyone still wants the symbol's records of the kind. The watch
    // lock keeps a later answer from overtaking an earlier one.
    void UpdateWatch(const std::u16string& symbol, FeedKind kind) {
        std::lock_guard watch(watchLock_);
        bool wanted = false;
        {
            std::lock_guard guard(lock_);
            for (const auto& s : subscriptions_)
                wanted = wanted || (!s->ended && s->kind == kind && s->symbol == symbol);
        }
        source_->Watch(symbol, kind, wanted);
    }

    // Under lock_: sends an event to each sink the desk advised.
    void Fire(Desk& desk, com::DISPID id, std::vector<int32_t> args, bool info = false) {
        for (uint32_t cookie : desk.cookies) {
            hoxlink::Frame frame;
            hoxlink::DeskEvent& e = *frame.mutable_event();
            e.set_cookie(cookie);
            e.set_dispid(id);
            for (int32_t a : args) e.add_args(a);
            if (info) {
                e.set_has_info(true);
                e.set_info_server_name(ToWire(rtl::AnsiToWide(options_.ServerName)));
            }
            desk.outlet->Send(frame);
        }
    }

    void RemoveDesk(const std::shared_ptr<Desk>& desk) {
        std::vector<SubscriptionPtr> ending;
        {
            std::lock_guard guard(lock_);
            if (!desks_.erase(desk->id)) return;
            ending = EndWhere([&](const Subscription& s) { return s.desk == desk->id; });
            if (desks_.empty()) lastDeskLeft_ = Clock::now();
        }
        ActOn(ending);
        Log("desk " + std::to_string(desk->id) + " left");
    }

    // Sends the periodic health events and pings, gives up desks that fell silent, and ends
    // the server once it lingered without desks.
    void Housekeep() {
        auto nextHealth = Clock::now() + std::chrono::milliseconds(options_.HealthIntervalMs);
        auto nextPing = Clock::now() + std::chrono::milliseconds(PingIntervalMs);
        std::unique_lock lk(lock_);
        while (!stopping_) {
            ended_.wait_for(lk, std::chrono::milliseconds(100));
            if (stopping_) break;
            if (!unwatched_.empty()) {
                std::vector<std::pair<std::u16string, FeedKind>> ended;
                ended.swap(unwatched_);
                lk.unlock();
                for (const auto& [symbol, kind] : ended) UpdateWatch(symbol, kind);
                lk.lock();
                if (stopping_) break;
            }
            const auto now = Clock::now();
            if (options_.HealthIntervalMs > 0 && now >= nextHealth) {
                nextHealth = now + std::chrono::milliseconds(options_.HealthIntervalMs);
                for (auto& [id, desk] : desks_)
                    Fire(*desk, hox::DISPID_HealthUpdate,
                         {0, desk->loggedOn ? StateLoggedOn : StateConnected});
            }
            if (now >= nextPing) {
                nextPing = now + std::chrono::milliseconds(PingIntervalMs);
                hoxlink::Frame ping;
                ping.set_ping(true);
                for (auto& [id, desk] : desks_) {
                    desk->outlet->Send(ping);
                    const auto silent = std::chrono::nanoseconds(Now() - desk->lastHeard);
                    if (silent > std::chrono::milliseconds(SilenceLimitMs)) {
                        Log("desk " + std::to_string(id) + " silent for " +
                            std::to_string(SilenceLimitMs / 1000) + " s, ending its session");
                        desk->outlet->Close();
                    }
                }
            }
            if (desks_.empty() &&
                now - lastDeskLeft_ >= std::chrono::seconds(options_.LingerSeconds)) {
                Log("no desk for " + std::to_string(options_.LingerSeconds) + " s, ending");
                stopping_ = true;
                ended_.notify_all();
            }
        }
    }

    const ServerOptions options_;
    std::unique_ptr<hostsim::RecordSource> source_;
    std::shared_ptr<TlsContext> tls_;
    std::string token_;
    int lockFd_ = -1;
    int localFd_ = -1, tcpFd_ = -1;
    int listenPort_ = 0;
    std::thread housekeeping_;
    std::vector<std::thread> listeners_;
    std::mutex workersLock_;
    std::list<Worker> workers_; // under workersLock_

    mutable std::mutex lock_;
    std::condition_variable ended_;
    bool stopping_ = false;
    uint64_t nextId_ = 1;
    uint64_t nextCookie_ = 1;
    std::map<uint64_t, std::shared_ptr<Desk>> desks_;
    std::vector<SubscriptionPtr> subscriptions_;
    // The symbols and kinds of streams that ended, for the source to hear whether still wanted.
    std::vector<std::pair<std::u16string, FeedKind>> unwatched_;
    Clock::time_point lastDeskLeft_;
    ServerCounters counters_;
    std::mutex watchLock_;
    std::mutex shutdownLock_;
    bool shutDown_ = false; // under shutdownLock_
};

THostServer::THostServer(ServerOptions options, std::unique_ptr<hostsim::RecordSource> source)
    : impl_(std::make_unique<Impl>(std::move(options), std::move(source))) {}

THostServer::~THostServer() = default;

bool THostServer::Start() {
    return impl_->Start();
}

void THostServer::Wait() {
    impl_->Wait();
}

void THostServer::Shutdown() {
    impl_->Shutdown();
}

int THostServer::Desks() const {
    return impl_->Desks();
}

int THostServer::ListenPort() const {
    return impl_->ListenPort();
}

ServerCounters THostServer::Counters() const {
    return impl_->Counters();
}

} // namespace hostlink
