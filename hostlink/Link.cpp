#include "Link.h"

#include "Activation.h"
#include "Proxies.h"
#include "Wire.h"
#include "com/OleCheck.h"

#include "HOXCOMLib_TLB.h"

#include <grpcpp/grpcpp.h>
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

Link::Link(const ProxyOptions& options, com::TApartment::TRef apartment, std::string tlsCa,
           std::string token)
    : options_(options), apartment_(std::move(apartment)), tlsCa_(std::move(tlsCa)),
      token_(std::move(token)), stub_(hoxlink::Host::NewStub(MakeChannel())) {}

std::shared_ptr<grpc::Channel> Link::MakeChannel() const {
    grpc::ChannelArguments args;
    args.SetMaxReceiveMessageSize(MaxMessageBytes);
    args.SetMaxSendMessageSize(MaxMessageBytes);
    // Keepalive pings find a host that vanished without closing the connection.
    args.SetInt(GRPC_ARG_KEEPALIVE_TIME_MS, 2000);
    args.SetInt(GRPC_ARG_KEEPALIVE_TIMEOUT_MS, 2000);
    args.SetInt(GRPC_ARG_KEEPALIVE_PERMIT_WITHOUT_CALLS, 1);
    args.SetInt(GRPC_ARG_HTTP2_MAX_PINGS_WITHOUT_DATA, 0);
    // A host that is starting answers within a fraction of a second; do not wait longer.
    args.SetInt(GRPC_ARG_INITIAL_RECONNECT_BACKOFF_MS, 100);
    args.SetInt(GRPC_ARG_MAX_RECONNECT_BACKOFF_MS, 1000);
    if (options_.Address.empty())
        return grpc::CreateCustomChannel("unix:" + options_.SocketPath,
                                         grpc::InsecureChannelCredentials(), args);
    grpc::SslCredentialsOptions ssl;
    ssl.pem_root_certs = tlsCa_;
    auto credentials = grpc::CompositeChannelCredentials(grpc::SslCredentials(ssl),
                                                         grpc::AccessTokenCredentials(token_));
    return grpc::CreateCustomChannel(options_.Address, credentials, args);
}

std::string Link::Where() const {
    return options_.Address.empty() ? "unix:" + options_.SocketPath : options_.Address;
}

std::shared_ptr<hoxlink::Host::Stub> Link::Stub() {
    std::lock_guard guard(lock_);
    return stub_;
}

Link::~Link() {
    Close();
}

void Link::Close() {
    {
        std::lock_guard guard(lock_);
        closing_ = true;
        if (session_) session_->TryCancel();
    }
    drained_.notify_all();
    readerWake_.notify_all();
    if (events_.joinable()) events_.join();
    std::vector<std::thread> readers;
    {
        std::lock_guard guard(lock_);
        readers.swap(readers_);
    }
    for (auto& reader : readers) reader.join();
}

void Link::RunReader(std::function<void()> job) {
    std::lock_guard guard(lock_);
    readerJobs_.push_back(std::move(job));
    if (idleReaders_ >= readerJobs_.size()) {
        readerWake_.notify_one();
        return;
    }
    readers_.emplace_back([this] {
        std::unique_lock lk(lock_);
        for (;;) {
            ++idleReaders_;
            readerWake_.wait(lk, [&] { return closing_ || !readerJobs_.empty(); });
            --idleReaders_;
            if (readerJobs_.empty()) return; // closing
            auto next = std::move(readerJobs_.front());
            readerJobs_.pop_front();
            lk.unlock();
            next();
            next = nullptr; // what the job holds goes outside the lock
            lk.lock();
        }
    });
}

std::chrono::milliseconds Link::NextPause(std::chrono::milliseconds pause) {
    return std::min(pause * 2, std::chrono::milliseconds(5000));
}

com::HRESULT Link::Open(const ProxyOptions& options, std::shared_ptr<Link>& link) {
    const bool local = options.Address.empty();
    const std::string where = local ? "unix:" + options.SocketPath : options.Address;
    std::string tlsCa, token;
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
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(options.StartTimeoutMs);
    bool started = false;
    for (;;) {
        std::shared_ptr<Link> candidate(
            new Link(options, com::TApartment::Current(), tlsCa, token));
        candidate->self_ = candidate;
        CallFailure failure;
        if (candidate->Handshake(failure)) {
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
    events_ = std::thread([this, hello] { ReadEvents(hello); });
    if (answer.wait_for(std::chrono::milliseconds(options_.CallTimeoutMs)) !=
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

std::unique_ptr<grpc::ClientReader<hoxlink::DeskEvent>> Link::OpenSession(bool freshChannel) {
    std::lock_guard guard(lock_);
    if (closing_) return nullptr;
    // A channel that lost its host may hold on to a half-made connection to the next one; a
    // new channel starts clean.
    if (freshChannel) stub_ = hoxlink::Host::NewStub(MakeChannel());
    session_ = std::make_unique<grpc::ClientContext>();
    hoxlink::OpenRequest request;
    request.set_version(ProtocolVersion);
    request.set_desk_name("hoxdesk pid " + std::to_string(getpid()));
    return stub_->Open(session_.get(), request);
}

void Link::ReadEvents(std::shared_ptr<std::promise<CallFailure>> hello) {
    auto reader = OpenSession(false);
    hoxlink::DeskEvent event;
    if (!reader || !reader->Read(&event)) {
        hello->set_value(reader ? Describe(reader->Finish()) : CallFailure{com::E_ABORT, ""});
        return;
    }
    if (event.version() != ProtocolVersion) {
        session_->TryCancel();
        reader->Finish();
        hello->set_value({com::RPC_E_VERSION_MISMATCH,
                          "The host speaks protocol version " + std::to_string(event.version()) +
                              ", the desk version " + std::to_string(ProtocolVersion)});
        return;
    }
    desk_ = event.desk();
    sessions_ = 1;
    hello->set_value({});
    for (;;) {
        while (reader->Read(&event)) PostEvent(event);
        const grpc::Status status = reader->Finish();
        {
            std::lock_guard guard(lock_);
            if (closing_) return;
        }
        Log("host connection lost, reconnecting: " +
            (status.ok() ? "the host ended the session" : Describe(status).text));
        Post([weak = self_] {
            if (auto self = weak.lock()) self->TellLost();
        });
        reader.reset(); // before its context goes
        reader = Reconnect();
        if (!reader) return;
        Log("host connection back");
        Post([weak = self_, session = sessions_.load()] {
            if (auto self = weak.lock()) self->Restore(session);
        });
    }
}

std::unique_ptr<grpc::ClientReader<hoxlink::DeskEvent>> Link::Reconnect() {
    auto pause = std::chrono::milliseconds(100);
    bool started = false;
    for (;;) {
        {
            std::unique_lock lk(lock_);
            if (drained_.wait_for(lk, pause, [&] { return closing_; })) return nullptr;
        }
        pause = NextPause(pause);
        auto reader = OpenSession(true);
        if (!reader) return nullptr;
        hoxlink::DeskEvent hello;
        if (reader->Read(&hello) && hello.version() == ProtocolVersion) {
            desk_ = hello.desk();
            ++sessions_;
            return reader;
        }
        const grpc::Status status = reader->Finish();
        // A host that went away is started again, as the first desk starts it.
        if (!started && !options_.HostProgram.empty() && options_.Address.empty() &&
            status.error_code() == grpc::StatusCode::UNAVAILABLE) {
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

CallFailure Link::Describe(const grpc::Status& status) const {
    if (status.ok()) return {};
    const std::string where = Where();
    switch (status.error_code()) {
    case grpc::StatusCode::UNAUTHENTICATED:
        return {com::E_ACCESSDENIED,
                "The trading host at " + where + " refused the desk: " + status.error_message()};
    case grpc::StatusCode::FAILED_PRECONDITION:
        return {com::RPC_E_VERSION_MISMATCH, status.error_message()};
    case grpc::StatusCode::DEADLINE_EXCEEDED:
        return {com::RPC_E_TIMEOUT, "The trading host at " + where + " did not answer in time"};
    case grpc::StatusCode::UNIMPLEMENTED:
        return {com::E_NOTIMPL, "The trading host at " + where + " does not know the call"};
    default:
        return {com::RPC_E_DISCONNECTED,
                "The trading host at " + where + " cannot be reached: " + status.error_message()};
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
    const com::HRESULT hr = Call(&hoxlink::Host::Stub::Advise, call, reply);
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
    const com::HRESULT hr = Call(&hoxlink::Host::Stub::Unadvise, call, reply);
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
    if (com::ComPtr<com::IDispatch> sink = unadvised_) Invoke(*sink.Get(), event);
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
        if (com::FAILED(Call(&hoxlink::Host::Stub::Advise, call, reply))) return;
        sink.hostCookie = uint32_t(reply.id());
    }
    if (lastLogon_) {
        lastLogon_->set_desk(Desk());
        if (com::FAILED(Call(&hoxlink::Host::Stub::Logon, *lastLogon_, reply))) return;
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
    Invoke(*sink.Get(), event);
}

void Link::Invoke(com::IDispatch& sink, const hoxlink::DeskEvent& event) {
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
