#include "hostlink/HostServer.h"

#include "Wire.h"
#include "hostlink.grpc.pb.h"
#include "hostlink/SocketFolder.h"
#include "rtl/AnsiText.h"
#include "rtl/Exceptions.h"

#include "HOXCOMLib_TLB.h"

#include <grpcpp/grpcpp.h>
#include <grpcpp/security/auth_metadata_processor.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

namespace hostlink {

namespace {

using hostsim::FeedKind;
using Clock = std::chrono::steady_clock;

// States the health event (selector 0) reports, as the embedded host does.
constexpr int32_t StateConnecting = 1, StateConnected = 2, StateLoggedOn = 3;
// How often a waiting stream looks whether its desk went away.
constexpr auto CancelPoll = std::chrono::milliseconds(100);

// A file's whole text; raises rtl::Exception naming what could not be read.
std::string ReadWhole(const std::string& what, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (!in || !(text << in.rdbuf())) throw rtl::Exception("Cannot read the " + what + " " + path);
    return text.str();
}

} // namespace

// Subscribe runs on the library's callback threads: a stream's writes start on whichever thread
// finds it idle with records waiting (the source's, for a new record), so a record goes out
// without waking a thread of the server's own.
class THostServer::Impl final
    : public hoxlink::Host::WithCallbackMethod_Subscribe<hoxlink::Host::Service>,
      public hostsim::RecordSink {
public:
    Impl(ServerOptions options, std::unique_ptr<hostsim::RecordSource> source)
        : options_(std::move(options)), source_(std::move(source)) {}

    ~Impl() override {
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
        unlink(options_.SocketPath.c_str()); // left by a host that died
        grpc::ServerBuilder builder;
        builder.AddListeningPort("unix:" + options_.SocketPath, grpc::InsecureServerCredentials());
        std::shared_ptr<grpc::ServerCredentials> tls;
        if (!options_.ListenAddress.empty()) tls = TlsCredentials();
        if (tls) builder.AddListeningPort(options_.ListenAddress, tls, &listenPort_);
        builder.RegisterService(this);
        builder.SetMaxReceiveMessageSize(MaxMessageBytes);
        builder.SetMaxSendMessageSize(MaxMessageBytes);
        // Keepalive pings find a desk that vanished without closing its connection.
        builder.AddChannelArgument(GRPC_ARG_KEEPALIVE_TIME_MS, 2000);
        builder.AddChannelArgument(GRPC_ARG_KEEPALIVE_TIMEOUT_MS, 2000);
        builder.AddChannelArgument(GRPC_ARG_KEEPALIVE_PERMIT_WITHOUT_CALLS, 1);
        builder.AddChannelArgument(GRPC_ARG_HTTP2_MIN_RECV_PING_INTERVAL_WITHOUT_DATA_MS, 1000);
        builder.AddChannelArgument(GRPC_ARG_HTTP2_MAX_PINGS_WITHOUT_DATA, 0);
        server_ = builder.BuildAndStart();
        if (!server_) throw rtl::Exception("Cannot listen on unix:" + options_.SocketPath);
        if (tls && listenPort_ == 0) {
            server_->Shutdown();
            server_.reset();
            throw rtl::Exception("Cannot listen on " + options_.ListenAddress);
        }
        source_->Start(*this);
        lastDeskLeft_ = Clock::now();
        housekeeping_ = std::thread([this] { Housekeep(); });
        Log("serving unix:" + options_.SocketPath);
        if (tls)
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
        std::vector<RecordWriter*> ending;
        {
            std::lock_guard guard(lock_);
            if (stopping_ && !server_) return;
            stopping_ = true;
            for (auto& [id, desk] : desks_) desk->wake.notify_all();
            ending = EndWhere([](const Subscription&) { return true; });
        }
        ActOn(ending);
        ended_.notify_all();
        if (housekeeping_.joinable()) housekeeping_.join();
        if (server_) {
            server_->Shutdown(std::chrono::system_clock::now() + std::chrono::seconds(2));
            server_.reset();
            unlink(options_.SocketPath.c_str());
        }
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

    grpc::Status Open(grpc::ServerContext* context, const hoxlink::OpenRequest* request,
                      grpc::ServerWriter<hoxlink::DeskEvent>* writer) override {
        if (request->version() != ProtocolVersion) {
            Refuse(&ServerCounters::VersionRefused,
                   "a desk of protocol version " + std::to_string(request->version()));
            return {grpc::StatusCode::FAILED_PRECONDITION,
                    "The desk speaks protocol version " + std::to_string(request->version()) +
                        ", the host version " + std::to_string(ProtocolVersion)};
        }
        auto desk = std::make_shared<Desk>();
        {
            std::lock_guard guard(lock_);
            if (stopping_) return {grpc::StatusCode::UNAVAILABLE, "the host is ending"};
            desk->id = nextId_++;
            desks_.emplace(desk->id, desk);
        }
        Log("desk " + std::to_string(desk->id) + " (" + request->desk_name().substr(0, 64) +
            ") opened");
        hoxlink::DeskEvent hello;
        hello.set_version(ProtocolVersion);
        hello.set_desk(desk->id);
        bool open = writer->Write(hello);
        while (open) {
            std::deque<hoxlink::DeskEvent> events;
            {
                std::unique_lock lk(lock_);
                desk->wake.wait_for(lk, CancelPoll,
                                    [&] { return stopping_ || !desk->events.empty(); });
                if (stopping_) break;
                events.swap(desk->events);
            }
            if (context->IsCancelled()) break;
            for (const auto& e : events) open = open && writer->Write(e);
        }
        RemoveDesk(desk);
        return grpc::Status::OK;
    }

    grpc::Status GetLoggedOn(grpc::ServerContext*, const hoxlink::DeskCall* request,
                             hoxlink::Reply* reply) override {
        std::lock_guard guard(lock_);
        Desk* desk = Find(request->desk());
        if (!desk) return UnknownDesk(request->desk());
        reply->set_flag(desk->loggedOn);
        return grpc::Status::OK;
    }

    // The source is asked outside lock_: its thread takes lock_ while it delivers.
    grpc::Status GetReplay(grpc::ServerContext*, const hoxlink::DeskCall* request,
                           hoxlink::ReplayState* reply) override {
        {
            std::lock_guard guard(lock_);
            if (!Find(request->desk())) return UnknownDesk(request->desk());
        }
        hostsim::ReplayStatus status;
        reply->set_replaying(source_->Status(status));
        reply->set_record_us(status.positionUs);
        reply->set_percent(status.percent);
        reply->set_paused(status.paused);
        reply->set_ended(status.ended);
        return grpc::Status::OK;
    }

    grpc::Status ControlReplay(grpc::ServerContext*, const hoxlink::ReplayCommand* request,
                               hoxlink::Reply*) override {
        {
            std::lock_guard guard(lock_);
            if (!Find(request->desk())) return UnknownDesk(request->desk());
        }
        if (request->set_paused()) source_->SetPaused(request->paused());
        if (request->jump()) source_->JumpTo(request->record_us());
        return grpc::Status::OK;
    }

    grpc::Status GetOrderClient(grpc::ServerContext*, const hoxlink::DeskCall* request,
                                hoxlink::Reply*) override {
        std::lock_guard guard(lock_);
        return Find(request->desk()) ? grpc::Status::OK : UnknownDesk(request->desk());
    }

    grpc::Status GetQuotes(grpc::ServerContext*, const hoxlink::DeskCall* request,
                           hoxlink::Reply* reply) override {
        std::lock_guard guard(lock_);
        Desk* desk = Find(request->desk());
        if (!desk) return UnknownDesk(request->desk());
        const uint64_t id = nextId_++;
        desk->quotes.insert(id);
        reply->set_id(id);
        return grpc::Status::OK;
    }

    grpc::Status SetManagerFlag(grpc::ServerContext*, const hoxlink::FlagCall* request,
                                hoxlink::Reply*) override {
        std::lock_guard guard(lock_);
        return Find(request->desk()) ? grpc::Status::OK : UnknownDesk(request->desk());
    }

    grpc::Status SetOrderClientFlag(grpc::ServerContext*, const hoxlink::FlagCall* request,
                                    hoxlink::Reply*) override {
        std::lock_guard guard(lock_);
        return Find(request->desk()) ? grpc::Status::OK : UnknownDesk(request->desk());
    }

    // Any user name and password that are not empty log on; the events follow as the embedded
    // host sends them.
    grpc::Status Logon(grpc::ServerContext*, const hoxlink::LogonCall* request,
                       hoxlink::Reply* reply) override {
        std::u16string user, password;
        const bool readable =
            FromWire(request->user_name(), user) && FromWire(request->password(), password);
        std::lock_guard guard(lock_);
        Desk* desk = Find(request->desk());
        if (!desk) return UnknownDesk(request->desk());
        if (!readable) {
            RefuseLocked(&ServerCounters::BadCalls, "a logon with a malformed name or password");
            reply->set_hr(com::E_INVALIDARG);
            return grpc::Status::OK;
        }
        const bool accepted = !user.empty() && !password.empty();
        desk->loggedOn = accepted;
        Fire(*desk, hox::DISPID_HealthUpdate, {0, StateConnecting});
        if (accepted) {
            Fire(*desk, hox::DISPID_Connected, {});
            Fire(*desk, hox::DISPID_ConnectionInfo, {}, true);
        }
        Fire(*desk, hox::DISPID_HealthUpdate, {0, accepted ? StateLoggedOn : StateConnected});
        reply->set_flag(accepted);
        return grpc::Status::OK;
    }

    grpc::Status Advise(grpc::ServerContext*, const hoxlink::DeskCall* request,
                        hoxlink::Reply* reply) override {
        std::lock_guard guard(lock_);
        Desk* desk = Find(request->desk());
        if (!desk) return UnknownDesk(request->desk());
        const auto cookie = uint32_t(nextCookie_++);
        desk->cookies.insert(cookie);
        reply->set_id(cookie);
        return grpc::Status::OK;
    }

    grpc::Status Unadvise(grpc::ServerContext*, const hoxlink::CookieCall* request,
                          hoxlink::Reply* reply) override {
        std::lock_guard guard(lock_);
        Desk* desk = Find(request->desk());
        if (!desk) return UnknownDesk(request->desk());
        if (!desk->cookies.erase(request->cookie())) reply->set_hr(com::CONNECT_E_NOCONNECTION);
        return grpc::Status::OK;
    }

    grpc::ServerWriteReactor<hoxlink::Records>*
    Subscribe(grpc::CallbackServerContext* context,
              const hoxlink::SubscribeCall* request) override {
        auto sub = std::make_shared<Subscription>();
        auto* writer = new RecordWriter(*this, *context, sub);
        grpc::Status refusal;
        {
            std::lock_guard guard(lock_);
            if (stopping_)
                refusal = {grpc::StatusCode::UNAVAILABLE, "the host is ending"};
            else if (Desk* desk = Find(request->desk()))
                writer->out.set_hr(Admit(*desk, *request, *writer));
            else
                refusal = UnknownDesk(request->desk());
        }
        if (!refusal.ok()) {
            writer->Finish(refusal);
        } else if (!sub->kind) {
            writer->StartWriteAndFinish(&writer->out, {}, grpc::Status::OK);
        } else {
            // The source hears of the new subscriber before the desk hears its answer.
            UpdateWatch(sub->symbol, *sub->kind);
            writer->StartWrite(&writer->out);
        }
        return writer;
    }

    grpc::Status Unsubscribe(grpc::ServerContext*, const hoxlink::QuotesCall* request,
                             hoxlink::Reply* reply) override {
        std::vector<RecordWriter*> ending;
        {
            std::lock_guard guard(lock_);
            Desk* desk = Find(request->desk());
            if (!desk) return UnknownDesk(request->desk());
            if (!request->notify()) {
                reply->set_hr(com::E_POINTER);
            } else if (!desk->quotes.count(request->quotes())) {
                reply->set_hr(com::E_INVALIDARG);
            } else {
                ending = EndWhere([&](const Subscription& s) {
                    return s.desk == desk->id && s.quotes == request->quotes() &&
                           s.notify == request->notify();
                });
            }
        }
        ActOn(ending);
        return grpc::Status::OK;
    }

    grpc::Status ReleaseQuotes(grpc::ServerContext*, const hoxlink::QuotesCall* request,
                               hoxlink::Reply*) override {
        std::vector<RecordWriter*> ending;
        {
            std::lock_guard guard(lock_);
            Desk* desk = Find(request->desk());
            if (!desk) return UnknownDesk(request->desk());
            desk->quotes.erase(request->quotes());
            ending = EndWhere([&](const Subscription& s) {
                return s.desk == desk->id && s.quotes == request->quotes();
            });
        }
        ActOn(ending);
        return grpc::Status::OK;
    }

private:
    struct Desk {
        uint64_t id = 0;
        bool loggedOn = false;
        std::set<uint64_t> quotes;
        std::set<uint32_t> cookies;
        std::deque<hoxlink::DeskEvent> events;
        std::condition_variable wake;
    };

    class RecordWriter;

    // Under lock_, but for the writer's own fields.
    struct Subscription {
        uint64_t desk = 0, quotes = 0, notify = 0;
        std::u16string symbol;
        std::optional<FeedKind> kind; // none: the call answered without a stream of records
        std::deque<std::shared_ptr<const hoxlink::Records>> queue;
        bool ended = false;
        bool slow = false;
        uint64_t dropped = 0; // the records dropped when the desk fell too far behind
        // The stream's turn: one thread at a time writes its next message or finishes it.
        RecordWriter* writer = nullptr; // set while listed; lives until the stream is done
        bool busy = false;              // a write or the finish is under way
        bool finished = false;
    };

    // One subscription's stream. The thread that took the stream's turn (TakeTurn) fills out
    // and starts the write (Act), outside the server's lock: the library may run the write's
    // completion at once.
    class RecordWriter final : public grpc::ServerWriteReactor<hoxlink::Records> {
    public:
        RecordWriter(Impl& server, grpc::CallbackServerContext& context,
                     std::shared_ptr<Subscription> sub)
            : server_(server), context_(context), sub_(std::move(sub)) {}
        void OnWriteDone(bool ok) override { server_.WriteDone(*this, ok); }
        void OnCancel() override { server_.Cancelled(*this); }
        void OnDone() override {
            server_.Done(*this);
            delete this;
        }
        Subscription& Sub() { return *sub_; }
        grpc::CallbackServerContext& Context() { return context_; }
        const std::shared_ptr<Subscription>& Shared() const { return sub_; }

        hoxlink::Records out; // the message under way, the turn's holder's
        bool finishing = false;

    private:
        Impl& server_;
        grpc::CallbackServerContext& context_;
        const std::shared_ptr<Subscription> sub_;
    };

    static void Log(const std::string& line) {
        std::fprintf(stderr, "hoxhost: %s\n", line.c_str());
    }

    // Admits a call on the TLS listener only with the host's token ("Bearer TOKEN").
    class TokenCheck final : public grpc::AuthMetadataProcessor {
    public:
        TokenCheck(Impl& server, std::string token) : server_(server), token_(std::move(token)) {}
        bool IsBlocking() const override { return false; }
        grpc::Status Process(const InputMetadata& metadata, grpc::AuthContext*, OutputMetadata*,
                             OutputMetadata*) override {
            const auto it = metadata.find("authorization");
            const std::string given = it == metadata.end()
                                          ? std::string()
                                          : std::string(it->second.data(), it->second.size());
            // Compared in full whatever the first difference, so the time says nothing.
            const std::string wanted = "Bearer " + token_;
            unsigned char differ = given.size() != wanted.size();
            for (size_t i = 0; i < given.size() && i < wanted.size(); ++i)
                differ |= given[i] ^ wanted[i];
            if (!differ) return grpc::Status::OK;
            server_.Refuse(&ServerCounters::BadTokens, "a call with a wrong access token");
            return {grpc::StatusCode::UNAUTHENTICATED, "the access token does not match"};
        }

    private:
        Impl& server_;
        const std::string token_;
    };

    std::shared_ptr<grpc::ServerCredentials> TlsCredentials() {
        grpc::SslServerCredentialsOptions ssl;
        ssl.pem_key_cert_pairs.push_back({ReadWhole("TLS key", options_.TlsKeyFile),
                                          ReadWhole("TLS certificate", options_.TlsCertFile)});
        std::string token = ReadWhole("token file", options_.TokenFile);
        while (!token.empty() && (token.back() == '\n' || token.back() == '\r')) token.pop_back();
        if (token.empty())
            throw rtl::Exception("The token file " + options_.TokenFile + " is empty");
        auto credentials = grpc::SslServerCredentials(ssl);
        credentials->SetAuthMetadataProcessor(
            std::make_shared<TokenCheck>(*this, std::move(token)));
        return credentials;
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
    grpc::Status UnknownDesk(uint64_t desk) {
        RefuseLocked(&ServerCounters::BadCalls, "a call for unknown desk " + std::to_string(desk));
        return {grpc::StatusCode::NOT_FOUND,
                "desk " + std::to_string(desk) + " has no session on this host"};
    }

    // Under lock_.
    Desk* Find(uint64_t id) {
        auto it = desks_.find(id);
        return it == desks_.end() ? nullptr : it->second.get();
    }

    // Under lock_: the HRESULT of a Subscribe, the subscription filled in and listed when it
    // starts a stream of records.
    com::HRESULT Admit(Desk& desk, const hoxlink::SubscribeCall& request, RecordWriter& writer) {
        Subscription* sub = &writer.Sub();
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
        sub->symbol = std::move(symbol);
        sub->kind = FeedKind(request.kind());
        sub->writer = &writer;
        sub->busy = true; // the answer goes first
        subscriptions_.push_back(writer.Shared());
        return com::S_OK;
    }

    void FanOut(FeedKind kind, std::u16string_view symbol,
                std::shared_ptr<const hoxlink::Records> records) {
        std::vector<RecordWriter*> idle;
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
                if (TakeTurn(*sub)) idle.push_back(sub->writer);
            }
        }
        ActOn(idle);
    }

    // Under lock_: takes the stream's turn when no one holds it and there is something to do,
    // the next message of records or the end of an ended stream. The caller then acts on it
    // (ActOn) once it let go of the lock.
    bool TakeTurn(Subscription& sub) {
        if (sub.busy || sub.finished || !sub.writer) return false;
        RecordWriter& writer = *sub.writer;
        if (!sub.queue.empty()) {
            writer.out.Clear();
            for (int n = 0; n < MaxBatchRecords && !sub.queue.empty(); ++n) {
                writer.out.MergeFrom(*sub.queue.front());
                sub.queue.pop_front();
            }
            writer.finishing = false;
        } else if (sub.ended) {
            writer.finishing = sub.finished = true;
        } else {
            return false;
        }
        sub.busy = true;
        return true;
    }

    // Without lock_: writes or finishes the streams whose turns the caller took.
    void ActOn(const std::vector<RecordWriter*>& writers) {
        for (RecordWriter* writer : writers) Act(*writer);
    }
    void Act(RecordWriter& writer) {
        if (!writer.finishing) {
            writer.StartWrite(&writer.out);
        } else if (writer.Sub().slow) { // set before the turn was taken, never unset
            // The desk counts what it missed from the trailer.
            writer.Context().AddTrailingMetadata(DroppedRecordsKey,
                                                 std::to_string(writer.Sub().dropped));
            writer.Finish({grpc::StatusCode::RESOURCE_EXHAUSTED,
                           "the desk fell more than " + std::to_string(options_.MaxQueuedRecords) +
                               " records behind"});
        } else {
            writer.Finish(grpc::Status::OK);
        }
    }

    void WriteDone(RecordWriter& writer, bool ok) {
        bool next = false;
        {
            std::lock_guard guard(lock_);
            Subscription& sub = writer.Sub();
            sub.busy = false;
            if (!ok) { // the desk went away
                sub.ended = true;
                sub.queue.clear();
            }
            next = TakeTurn(sub);
        }
        if (next) Act(writer);
    }

    void Cancelled(RecordWriter& writer) {
        bool next = false;
        {
            std::lock_guard guard(lock_);
            writer.Sub().ended = true;
            writer.Sub().queue.clear();
            next = TakeTurn(writer.Sub());
        }
        if (next) Act(writer);
    }

    // The stream is over: the subscription is unlisted and the source told.
    void Done(RecordWriter& writer) {
        const auto& sub = writer.Shared();
        {
            std::lock_guard guard(lock_);
            sub->ended = true;
            sub->writer = nullptr;
            std::erase(subscriptions_, sub);
        }
        if (sub->kind) UpdateWatch(sub->symbol, *sub->kind);
    }

    // Under lock_: ends the matching subscriptions; the streams whose turns were taken for
    // their end are for the caller to act on.
    template <class Match> std::vector<RecordWriter*> EndWhere(Match match) {
        std::vector<RecordWriter*> ending;
        for (auto& sub : subscriptions_)
            if (match(*sub)) {
                sub->ended = true;
                if (TakeTurn(*sub)) ending.push_back(sub->writer);
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

    // Under lock_: queues an event for each sink the desk advised.
    void Fire(Desk& desk, com::DISPID id, std::vector<int32_t> args, bool info = false) {
        for (uint32_t cookie : desk.cookies) {
            hoxlink::DeskEvent& e = desk.events.emplace_back();
            e.set_cookie(cookie);
            e.set_dispid(id);
            for (int32_t a : args) e.add_args(a);
            if (info) {
                e.set_has_info(true);
                e.set_info_server_name(ToWire(rtl::AnsiToWide(options_.ServerName)));
            }
        }
        desk.wake.notify_one();
    }

    void RemoveDesk(const std::shared_ptr<Desk>& desk) {
        std::vector<RecordWriter*> ending;
        {
            std::lock_guard guard(lock_);
            desks_.erase(desk->id);
            ending = EndWhere([&](const Subscription& s) { return s.desk == desk->id; });
            if (desks_.empty()) lastDeskLeft_ = Clock::now();
        }
        ActOn(ending);
        Log("desk " + std::to_string(desk->id) + " left");
    }

    // Sends the periodic health events and ends the server once it lingered without desks.
    void Housekeep() {
        auto nextHealth = Clock::now() + std::chrono::milliseconds(options_.HealthIntervalMs);
        std::unique_lock lk(lock_);
        while (!stopping_) {
            ended_.wait_for(lk, std::chrono::milliseconds(100));
            if (stopping_) break;
            const auto now = Clock::now();
            if (options_.HealthIntervalMs > 0 && now >= nextHealth) {
                nextHealth = now + std::chrono::milliseconds(options_.HealthIntervalMs);
                for (auto& [id, desk] : desks_)
                    Fire(*desk, hox::DISPID_HealthUpdate,
                         {0, desk->loggedOn ? StateLoggedOn : StateConnected});
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
    std::unique_ptr<grpc::Server> server_;
    int lockFd_ = -1;
    int listenPort_ = 0;
    std::thread housekeeping_;

    mutable std::mutex lock_;
    std::condition_variable ended_;
    bool stopping_ = false;
    uint64_t nextId_ = 1;
    uint64_t nextCookie_ = 1;
    std::map<uint64_t, std::shared_ptr<Desk>> desks_;
    std::vector<std::shared_ptr<Subscription>> subscriptions_;
    Clock::time_point lastDeskLeft_;
    ServerCounters counters_;
    std::mutex watchLock_;
    std::mutex shutdownLock_;
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
