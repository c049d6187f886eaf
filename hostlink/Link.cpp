#include "Link.h"

#include "Activation.h"
#include "Proxies.h"
#include "Wire.h"
#include "com/OleCheck.h"

#include "HOXCOMLib_TLB.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <sstream>

namespace hostlink {

namespace {

using Clock = std::chrono::steady_clock;

// Records posted into the apartment and not yet run, above which the readers wait; they go on
// once the window has run half of them.
constexpr int MaxWaiting = 4096;
// How long the apartment runs queued calls before the window's own messages come in between.
constexpr auto RunSlice = std::chrono::milliseconds(8);

// A file's whole text, or false.
bool ReadWhole(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream whole;
    if (!in || !(whole << in.rdbuf())) return false;
    text = whole.str();
    return true;
}

} // namespace

com::HRESULT CallFailure::Report() const {
    com::SetErrorInfo(hr, text);
    return hr;
}

Link::Link(const ProxyOptions& options, com::TApartment::TRef apartment,
           std::shared_ptr<TlsContext> tls, std::string token)
    : options_(options), apartment_(std::move(apartment)), tls_(std::move(tls)),
      token_(std::move(token)), direct_(apartment_.CanWatch()) {}

std::string Link::Where() const {
    return options_.Address.empty() ? "unix:" + options_.SocketPath : options_.Address;
}

Link::~Link() {
    Close();
}

void Link::Close() {
    {
        std::lock_guard guard(lock_);
        closing_ = true;
        if (session_) session_->Shutdown();
    }
    drained_.notify_all();
    if (reader_.joinable()) reader_.join();
    watch_.reset();
    watched_.reset();
}

std::chrono::milliseconds Link::NextPause(std::chrono::milliseconds pause) {
    return std::min(pause * 2, std::chrono::milliseconds(5000));
}

com::HRESULT Link::Open(const ProxyOptions& options, std::shared_ptr<Link>& link) {
    const bool local = options.Address.empty();
    const std::string where = local ? "unix:" + options.SocketPath : options.Address;
    std::string tlsCa, token;
    std::shared_ptr<TlsContext> tls;
    if (local) {
        const std::string problem = SocketFolderProblem(options.SocketPath);
        if (!problem.empty()) return CallFailure{com::E_ACCESSDENIED, problem}.Report();
    } else {
        if (!ReadWhole(options.TlsCaFile, tlsCa))
            return CallFailure{com::E_ACCESSDENIED,
                               "Cannot read the TLS authorities " + options.TlsCaFile}
                .Report();
        if (!ReadWhole(options.TokenFile, token))
            return CallFailure{com::E_ACCESSDENIED,
                               "Cannot read the token file " + options.TokenFile}
                .Report();
        while (!token.empty() && (token.back() == '\n' || token.back() == '\r')) token.pop_back();
        try {
            tls = TlsContext::ForClient(tlsCa);
        } catch (const std::exception& e) {
            return CallFailure{com::E_ACCESSDENIED,
                               "Cannot use the TLS authorities " + options.TlsCaFile + ": " +
                                   e.what()}
                .Report();
        }
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(options.StartTimeoutMs);
    bool started = false;
    for (;;) {
        std::shared_ptr<Link> candidate(
            new Link(options, com::TApartment::Current(), tls, token));
        candidate->self_ = candidate;
        CallFailure failure;
        if (candidate->Handshake(failure)) {
            if (candidate->direct_) {
                std::shared_ptr<Connection> session;
                {
                    std::lock_guard guard(candidate->lock_);
                    session = candidate->session_;
                }
                candidate->WatchSession(session);
            }
            link = std::move(candidate);
            return com::S_OK;
        }
        if (failure.hr != com::RPC_E_DISCONNECTED) return failure.Report();
        if (!started) {
            // Only a host on this machine is started here.
            if (options.HostProgram.empty() || !local)
                return CallFailure{failure.hr, "No trading host answers at " + where}.Report();
            const std::string error = StartHostProgram(options);
            if (!error.empty())
                return CallFailure{com::CO_E_SERVER_EXEC_FAILURE,
                                   "Cannot start the trading host: " + error}
                    .Report();
            Log("started " + options.HostProgram + " for " + where);
            started = true;
        }
        if (Clock::now() >= deadline)
            return CallFailure{com::CO_E_SERVER_EXEC_FAILURE,
                               "The trading host started from " + options.HostProgram +
                                   " did not answer at " + where + " within " +
                                   std::to_string(options.StartTimeoutMs / 1000) + " s"}
                .Report();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

bool Link::Handshake(CallFailure& failure) {
    auto hello = std::make_shared<std::promise<CallFailure>>();
    auto answer = hello->get_future();
    reader_ = std::thread([this, hello] { ReadSession(hello); });
    if (answer.wait_for(std::chrono::milliseconds(options_.CallTimeoutMs + 1000)) !=
        std::future_status::ready) {
        failure = {com::RPC_E_TIMEOUT, "The trading host at " + Where() +
                                           " did not answer within " +
                                           std::to_string(options_.CallTimeoutMs) + " ms"};
        Close();
        return false;
    }
    failure = answer.get();
    if (com::FAILED(failure.hr)) Close();
    return !com::FAILED(failure.hr);
}

LinkStatus Link::Connect(uint32_t role, std::unique_ptr<Connection>& connection,
                         hoxlink::DeskEvent& hello) const {
    LinkStatus failure;
    connection = options_.Address.empty()
                     ? Connection::ConnectLocal(options_.SocketPath, failure)
                     : Connection::ConnectTls(options_.Address, *tls_, options_.CallTimeoutMs,
                                              failure);
    if (!connection) return failure;
    hoxlink::Frame frame;
    hoxlink::Hello& says = *frame.mutable_hello();
    says.set_version(ProtocolVersion);
    says.set_role(role);
    says.set_desk_name("hoxdesk pid " + std::to_string(getpid()));
    says.set_token(token_);
    if (!connection->Send(frame)) return {Code::Unavailable, "the host closed the connection"};
    switch (connection->Read(frame, options_.CallTimeoutMs)) {
    case Connection::ReadResult::Frame: break;
    case Connection::ReadResult::Timeout: return {Code::DeadlineExceeded, ""};
    default: return {Code::Unavailable, "the host closed the connection"};
    }
    if (frame.has_refused())
        return {Code(frame.refused().code()), frame.refused().message()};
    if (!frame.has_event()) return {Code::Unknown, "the host answered the hello with another message"};
    if (frame.event().version() != ProtocolVersion)
        return {Code::FailedPrecondition, "The host speaks protocol version " +
                                              std::to_string(frame.event().version()) +
                                              ", the desk version " +
                                              std::to_string(ProtocolVersion)};
    hello = frame.event();
    return {};
}

void Link::ReadSession(std::shared_ptr<std::promise<CallFailure>> hello) {
    std::unique_ptr<Connection> first;
    hoxlink::DeskEvent answer;
    const LinkStatus status = Connect(RoleSession, first, answer);
    if (!status.ok()) {
        hello->set_value(Describe(status));
        return;
    }
    std::shared_ptr<Connection> session(std::move(first));
    {
        std::lock_guard guard(lock_);
        if (closing_) {
            hello->set_value({com::E_ABORT, ""});
            return;
        }
        session_ = session;
    }
    desk_ = answer.desk();
    sessions_ = 1;
    hello->set_value({});
    for (;;) {
        const std::string why = direct_ ? WaitWhileWatched(session) : ReadFrames(*session);
        {
            std::lock_guard guard(lock_);
            if (closing_) return;
            streams_.clear(); // the proxies open theirs again on the next host
        }
        Log("host connection lost, reconnecting: " + why);
        Post([weak = self_] {
            if (auto self = weak.lock()) self->TellLost();
        });
        session = Reconnect();
        if (!session) return;
        Log("host connection back");
        if (direct_)
            Post([weak = self_, session] {
                if (auto self = weak.lock()) self->WatchSession(session);
            });
        Post([weak = self_, number = sessions_.load()] {
            if (auto self = weak.lock()) self->Restore(number);
        });
    }
}

std::string Link::ReadFrames(Connection& session) {
    hoxlink::Frame frame;
    uint64_t malformed = 0;
    for (;;) {
        switch (session.Read(frame, SilenceLimitMs)) {
        case Connection::ReadResult::Frame: break;
        case Connection::ReadResult::Malformed:
            Log("dropped a malformed message from the host (" + std::to_string(++malformed) +
                " so far)");
            continue;
        case Connection::ReadResult::Oversized: return "the host sent an oversized message";
        case Connection::ReadResult::Timeout:
            return "the host was silent for " + std::to_string(SilenceLimitMs / 1000) + " s";
        case Connection::ReadResult::Closed: return "the host closed the connection";
        }
        if (!HandleFrame(frame, session, false)) return "the host closed the connection";
    }
}

bool Link::HandleFrame(const hoxlink::Frame& frame, Connection& session, bool direct) {
    if (frame.has_event()) {
        if (direct)
            DeliverEvent(frame.event(), sessions_);
        else
            PostEvent(frame.event());
    } else if (frame.has_records() || frame.has_end()) {
        const uint64_t id = frame.has_records() ? frame.records().stream() : frame.end().stream();
        std::shared_ptr<StreamSink> sink;
        {
            std::lock_guard guard(lock_);
            auto it = streams_.find(id);
            if (it != streams_.end()) sink = it->second;
            if (frame.has_end() && it != streams_.end()) streams_.erase(it);
        }
        if (sink && frame.has_records()) sink->OnRecords(frame.records().records(), direct);
        if (sink && frame.has_end()) sink->OnEnd(frame.end());
    } else if (frame.has_ping()) {
        hoxlink::Frame pong;
        pong.set_pong(true);
        return session.Send(pong);
    }
    return true;
}

void Link::WatchSession(std::shared_ptr<Connection> session) {
    watched_ = session;
    lastHeard_ = Clock::now().time_since_epoch().count();
    watch_ = apartment_.Watch(session->Fd(), [weak = self_, session] {
        if (auto self = weak.lock()) self->OnSessionReadable(session);
    });
}

void Link::OnSessionReadable(const std::shared_ptr<Connection>& session) {
    const std::shared_ptr<Link> self = self_.lock(); // a handler may let go of the last proxy
    const auto until = Clock::now() + RunSlice;
    bool readSocket = true;
    uint64_t malformed = 0;
    hoxlink::Frame frame; // parsing clears it
    while (watched_ == session) {
        switch (session->NextFrame(frame)) {
        case FrameParser::Result::None:
            if (!readSocket) return; // the watch calls again when more arrives
            readSocket = false;
            if (!session->ReadAvailable()) SessionLost(*session, "the host closed the connection");
            continue;
        case FrameParser::Result::Malformed:
            Log("dropped a malformed message from the host (" + std::to_string(++malformed) + ")");
            continue;
        case FrameParser::Result::Oversized:
            SessionLost(*session, "the host sent an oversized message");
            return;
        case FrameParser::Result::Frame: break;
        }
        lastHeard_ = Clock::now().time_since_epoch().count();
        if (!HandleFrame(frame, *session, true)) {
            SessionLost(*session, "the host closed the connection");
            return;
        }
        if (Clock::now() >= until) {
            // The window's own messages come in between; the rest follows them.
            if (!continuing_)
                continuing_ = Post([weak = self_, session] {
                    if (auto link = weak.lock()) {
                        link->continuing_ = false;
                        link->OnSessionReadable(session);
                    }
                });
            return;
        }
    }
}

void Link::SessionLost(const Connection& session, std::string why) {
    if (watched_.get() != &session) return;
    watch_.reset();
    watched_.reset();
    if (why.empty()) return; // the reader found it silent and went on already
    {
        std::lock_guard guard(lock_);
        lostSession_ = &session;
        lostWhy_ = std::move(why);
    }
    drained_.notify_all();
}

std::string Link::WaitWhileWatched(const std::shared_ptr<Connection>& session) {
    for (;;) {
        {
            std::unique_lock lk(lock_);
            if (closing_) return "";
            if (lostSession_ == session.get()) {
                lostSession_ = nullptr;
                return lostWhy_;
            }
            drained_.wait_for(lk, std::chrono::seconds(1));
            if (closing_ || lostSession_ == session.get()) continue;
        }
        const auto silent = Clock::duration(Clock::now().time_since_epoch().count() - lastHeard_);
        pollfd waiting{session->Fd(), POLLIN, 0};
        if (silent > std::chrono::milliseconds(SilenceLimitMs) && poll(&waiting, 1, 0) == 0) {
            // The window stops watching it; what it reads of it no longer counts.
            session->Shutdown();
            Post([weak = self_, session] {
                if (auto self = weak.lock()) self->SessionLost(*session, "");
            });
            return "the host was silent for " + std::to_string(SilenceLimitMs / 1000) + " s";
        }
    }
}

std::shared_ptr<Connection> Link::Reconnect() {
    auto pause = std::chrono::milliseconds(100);
    bool started = false;
    for (;;) {
        {
            std::unique_lock lk(lock_);
            if (drained_.wait_for(lk, pause, [&] { return closing_; })) return nullptr;
        }
        pause = NextPause(pause);
        std::unique_ptr<Connection> connection;
        hoxlink::DeskEvent hello;
        const LinkStatus status = Connect(RoleSession, connection, hello);
        if (status.ok()) {
            std::shared_ptr<Connection> session(std::move(connection));
            std::lock_guard guard(lock_);
            if (closing_) return nullptr;
            session_ = session;
            desk_ = hello.desk();
            ++sessions_;
            return session;
        }
        // A host that went away is started again, as the first desk starts it.
        if (!started && !options_.HostProgram.empty() && options_.Address.empty() &&
            status.code == Code::Unavailable) {
            started = StartHostProgram(options_).empty();
            if (started) Log("started " + options_.HostProgram + " again");
        }
    }
}

void Link::PostEvent(const hoxlink::DeskEvent& event) {
    Post([weak = self_, event, session = sessions_.load()] {
        if (auto self = weak.lock()) self->DeliverEvent(event, session);
    });
}

LinkStatus Link::Invoke(hoxlink::Method method, const google::protobuf::Message& request,
                        google::protobuf::Message& reply, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::lock_guard guard(callLock_);
    hoxlink::Frame frame;
    hoxlink::Call& call = *frame.mutable_call();
    call.set_seq(++seq_);
    call.set_method(method);
    request.SerializeToString(call.mutable_request());
    // A connection made for a lost session, or one that broke, is made again: nothing was
    // asked on it yet, so the call goes out once.
    const uint64_t session = sessions_;
    // Rounded up, so that what waits this long has reached the call's deadline.
    const auto left = [&] {
        return int(std::max<long>(
            0, std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count()));
    };
    bool sent = calls_ && callsSession_ == session && calls_->Send(frame, left());
    if (!sent) {
        if (calls_ && callsSession_ == session && Clock::now() >= deadline) {
            calls_.reset(); // a host that takes nothing more; part of the call may be out
            return {Code::DeadlineExceeded, ""};
        }
        hoxlink::DeskEvent hello;
        const LinkStatus status = Connect(RoleCalls, calls_, hello);
        if (!status.ok()) {
            calls_.reset();
            return status;
        }
        callsSession_ = session;
        if (!calls_->Send(frame, left())) {
            calls_.reset();
            return {Code::Unavailable, "the host closed the connection"};
        }
    }
    for (;;) {
        switch (calls_->Read(frame, left())) {
        case Connection::ReadResult::Frame: break;
        case Connection::ReadResult::Malformed: continue;
        case Connection::ReadResult::Timeout: return {Code::DeadlineExceeded, ""};
        default:
            calls_.reset();
            return {Code::Unavailable, "the host closed the connection"};
        }
        // An answer to a call that timed out earlier is passed over.
        if (!frame.has_answer() || frame.answer().seq() != seq_) continue;
        const hoxlink::Status& answer = frame.answer();
        if (answer.code() != 0) return {Code(answer.code()), answer.message()};
        if (!reply.ParseFromString(answer.reply()))
            return {Code::Unknown, "the host's answer is malformed"};
        return {};
    }
}

com::HRESULT Link::Call(hoxlink::Method method, const google::protobuf::Message& request,
                        hoxlink::Reply& reply) {
    RestoreIfDue();
    const LinkStatus status = Invoke(method, request, reply, options_.CallTimeoutMs);
    if (!status.ok()) return Describe(status).Report();
    return reply.hr();
}

uint64_t Link::AddStream(std::shared_ptr<StreamSink> sink) {
    std::lock_guard guard(lock_);
    const uint64_t id = nextStream_++;
    streams_.emplace(id, std::move(sink));
    return id;
}

void Link::RemoveStream(uint64_t stream) {
    std::shared_ptr<StreamSink> gone; // let go of outside the lock
    std::lock_guard guard(lock_);
    if (auto it = streams_.find(stream); it != streams_.end()) {
        gone = std::move(it->second);
        streams_.erase(it);
    }
}

CallFailure Link::Describe(const LinkStatus& status) const {
    if (status.ok()) return {};
    const std::string where = Where();
    switch (status.code) {
    case Code::Unauthenticated:
        return {com::E_ACCESSDENIED,
                "The trading host at " + where + " refused the desk: " + status.message};
    case Code::FailedPrecondition: return {com::RPC_E_VERSION_MISMATCH, status.message};
    case Code::DeadlineExceeded:
        return {com::RPC_E_TIMEOUT, "The trading host at " + where + " did not answer in time"};
    case Code::Unimplemented:
        return {com::E_NOTIMPL, "The trading host at " + where + " does not know the call"};
    default:
        return {com::RPC_E_DISCONNECTED,
                "The trading host at " + where + " cannot be reached: " + status.message};
    }
}

bool Link::Post(com::ApartmentCall call, const std::atomic<bool>* stop, int records) {
    {
        std::unique_lock lk(lock_);
        drained_.wait(lk, [&] { return closing_ || (stop && *stop) || waiting_ < MaxWaiting; });
        if (closing_ || (stop && *stop)) return false;
        queue_.push_back({std::move(call), records});
        waiting_ += records;
        if (woken_) return true;
        woken_ = true;
    }
    return WakeApartment();
}

bool Link::WakeApartment() {
    if (apartment_.Post([weak = self_] {
            if (auto self = weak.lock()) self->RunQueued();
        }))
        return true;
    std::deque<Queued> dropped; // goes outside the lock, with what its calls hold
    {
        std::lock_guard guard(lock_);
        dropped.swap(queue_);
        waiting_ = 0;
        woken_ = false;
    }
    drained_.notify_all(); // the readers that wait for room find the apartment gone
    return false;
}

void Link::RunQueued() {
    const auto until = Clock::now() + RunSlice;
    for (;;) {
        Queued next;
        bool wake = false;
        {
            std::lock_guard guard(lock_);
            if (queue_.empty()) {
                woken_ = false;
                return;
            }
            if (Clock::now() >= until) break;
            next = std::move(queue_.front());
            queue_.pop_front();
            wake = waiting_ > MaxWaiting / 2 && waiting_ - next.records <= MaxWaiting / 2;
            waiting_ -= next.records;
        }
        if (wake) drained_.notify_all();
        try {
            next.call();
        } catch (...) {
            // The rest runs after the error was shown.
            WakeApartment();
            throw;
        }
    }
    WakeApartment(); // behind what the window was posted meanwhile
}

void Link::WakePosters() {
    { std::lock_guard guard(lock_); }
    drained_.notify_all();
}

com::HRESULT Link::Advise(com::ComPtr<com::IDispatch> sink, com::DWORD& cookie) {
    hoxlink::DeskCall call;
    call.set_desk(Desk());
    hoxlink::Reply reply;
    const com::HRESULT hr = Call(hoxlink::ADVISE, call, reply);
    if (com::FAILED(hr)) return hr;
    // The desk keeps the first session's cookie for the sink; later sessions map theirs to it.
    cookie = com::DWORD(reply.id());
    while (sinks_.count(cookie)) ++cookie;
    if (unadvised_.Get() == sink.Get()) unadvised_.Reset(); // advised again: hears as such
    sinks_[cookie] = {std::move(sink), uint32_t(reply.id())};
    return hr;
}

com::HRESULT Link::Unadvise(com::DWORD cookie) {
    auto it = sinks_.find(cookie);
    hoxlink::CookieCall call;
    call.set_desk(Desk());
    // A cookie the desk does not know goes to the host as it is, for the host's answer.
    call.set_cookie(it == sinks_.end() ? cookie : it->second.hostCookie);
    hoxlink::Reply reply;
    const com::HRESULT hr = Call(hoxlink::UNADVISE, call, reply);
    if (!com::FAILED(hr) && it != sinks_.end()) {
        unadvised_ = std::move(it->second.sink);
        sinks_.erase(it);
    }
    return hr;
}

void Link::RememberLogon(const hoxlink::LogonCall& call) {
    lastLogon_ = call;
}

void Link::AddRestorable(Restorable* proxy) {
    restorables_.push_back(proxy);
}

void Link::RemoveRestorable(Restorable* proxy) {
    std::erase(restorables_, proxy);
}

void Link::TellLost() {
    hoxlink::DeskEvent event;
    event.set_dispid(hox::DISPID_Disconnected);
    std::vector<uint32_t> cookies; // a sink may unadvise while it runs
    for (const auto& [cookie, sink] : sinks_) cookies.push_back(sink.hostCookie);
    for (uint32_t cookie : cookies) {
        event.set_cookie(cookie);
        DeliverEvent(event, sessions_);
    }
    // A window that stopped unadvised its sink but still holds the manager: it hears of the
    // lost host all the same.
    if (com::ComPtr<com::IDispatch> sink = unadvised_) InvokeSink(*sink.Get(), event);
}

// Runs on the desk's thread after a host answered again: the sinks, the logon and the
// subscriptions, in the order the window made them.
void Link::Restore(uint64_t session) {
    // Lost again meanwhile (a later restore follows), or restored already by a call.
    if (session != sessions_ || session <= restored_) return;
    restored_ = session;
    hoxlink::Reply reply;
    for (auto& [cookie, sink] : sinks_) {
        hoxlink::DeskCall call;
        call.set_desk(Desk());
        if (com::FAILED(Call(hoxlink::ADVISE, call, reply))) return;
        sink.hostCookie = uint32_t(reply.id());
    }
    if (lastLogon_) {
        lastLogon_->set_desk(Desk());
        if (com::FAILED(Call(hoxlink::LOGON, *lastLogon_, reply))) return;
    }
    for (Restorable* proxy : std::vector(restorables_)) proxy->Restore();
}

void Link::RestoreIfDue() {
    const uint64_t session = sessions_;
    if (session > restored_) Restore(session);
}

uint64_t Link::NotifyId(hox::IHoxQuotesNotify* notify) {
    std::lock_guard guard(lock_);
    auto [it, added] = notifyIds_.try_emplace(notify, notifyIds_.size() + 1);
    return it->second;
}

void Link::DeliverEvent(const hoxlink::DeskEvent& event, uint64_t session) {
    if (session != sessions_) return; // from a session that was lost
    auto it = sinks_.begin();
    while (it != sinks_.end() && it->second.hostCookie != event.cookie()) ++it;
    if (it == sinks_.end()) return;                     // unadvised meanwhile
    com::ComPtr<com::IDispatch> sink = it->second.sink; // the sink may unadvise while it runs
    InvokeSink(*sink.Get(), event);
}

void Link::InvokeSink(com::IDispatch& sink, const hoxlink::DeskEvent& event) {
    // Arguments travel last first.
    std::vector<com::VARIANT> args;
    if (event.has_info()) {
        std::u16string name;
        FromWire(event.info_server_name(), name);
        args.push_back(com::MakeUnknown(MakeConnectionInfo(std::move(name)).Get()));
    }
    for (int i = event.args_size() - 1; i >= 0; --i) args.push_back(com::MakeI4(event.args(i)));
    com::DISPPARAMS params;
    params.rgvarg = args.data();
    params.cArgs = com::UINT(args.size());
    sink.Invoke(event.dispid(), com::GUID_NULL, 0, com::DISPATCH_METHOD, &params, nullptr, nullptr,
                nullptr);
    for (auto& a : args) com::VariantClear(a);
}

void Link::Log(const std::string& line) {
    std::fprintf(stderr, "hoxdesk: %s\n", line.c_str());
}

} // namespace hostlink
