// One desk's session on the host program: its two connections (the session, whose reader hands
// the host's events and records to the desk's apartment, and the calls), the desk's id on the
// host, the sinks advised through the link, the streams of records and the names of the notify
// objects. The proxies of one manager share it; the session ends with the last of them.
//
// When the host goes away the link says so (event 4 to its sinks, a line on standard error)
// and tries again with a growing pause, capped at 5 s. When a host answers, it advises the
// sinks again, logs in with the values of the last Logon, and has each quote object subscribe
// again what it held, on the desk's thread between its messages.
#pragma once

#include "Channel.h"
#include "com/Apartment.h"
#include "com/ComPtr.h"
#include "hostlink.pb.h"
#include "hostlink/HostProxy.h"

#include "HOXQUOTELib_TLB.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace hostlink {

// A failed call's HRESULT with the description the caller's OleCheck shows.
struct CallFailure {
    com::HRESULT hr = com::S_OK;
    std::string text;
    // Leaves the description for the calling thread's OleCheck and answers hr.
    com::HRESULT Report() const;
};

// The records of one subscription's stream, as the session's reader finds them: on the desk's
// thread when it reads the session itself (direct), else on the reader's thread.
class StreamSink {
public:
    virtual ~StreamSink() = default;
    virtual void OnRecords(const hoxlink::Records& records, bool direct) = 0;
    // The host ended the stream: in order, or because the desk fell too far behind.
    virtual void OnEnd(const hoxlink::StreamEnd& end) = 0;
};

// A proxy that makes its objects on the host again after the link came back; window thread.
class Restorable {
public:
    virtual void Restore() = 0;

protected:
    ~Restorable() = default;
};

class Link {
public:
    // Opens a session in the calling thread's apartment, starting the host program when none
    // answers; on failure the link stays empty and the HRESULT's description is left.
    static com::HRESULT Open(const ProxyOptions& options, std::shared_ptr<Link>& link);
    ~Link();
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    uint64_t Desk() const { return desk_; }
    // How long the link waits before its next try after failed tries that waited pause.
    static std::chrono::milliseconds NextPause(std::chrono::milliseconds pause);
    int CallTimeoutMs() const { return options_.CallTimeoutMs; }

    // One call, answered within timeoutMs: the host's reply, or the transport's failure. Calls
    // go out one at a time on the link's calls connection; any thread.
    LinkStatus Invoke(hoxlink::Method method, const google::protobuf::Message& request,
                      google::protobuf::Message& reply, int timeoutMs);
    // One call with the call deadline: the host's HRESULT, or a transport failure's (reported).
    // Window thread.
    com::HRESULT Call(hoxlink::Method method, const google::protobuf::Message& request,
                      hoxlink::Reply& reply);
    CallFailure Describe(const LinkStatus& status) const;

    // A new stream of records for the session to hand to sink, named for the host by the
    // answer; RemoveStream lets go of it (its later records are dropped).
    uint64_t AddStream(std::shared_ptr<StreamSink> sink);
    void RemoveStream(uint64_t stream);

    // Runs call in the desk's apartment between its messages, after every call posted before
    // it. The calls wait in the link's queue and the apartment is woken once for all it finds
    // there; it runs them a few milliseconds at a time, so the window's own messages (a click,
    // a paint) come in between. records is what the call delivers: while many records wait,
    // the poster waits, so a window that falls behind holds the host's stream back instead of
    // queueing without bound. False when the apartment or the link has gone, or stop was set.
    bool Post(com::ApartmentCall call, const std::atomic<bool>* stop = nullptr, int records = 1);
    // Window thread: when a host answered again and the restore of the desk's objects still
    // waits in the queue (behind records), it runs now, so that a call of the window goes to
    // the objects of the new session rather than the lost one's.
    void RestoreIfDue();
    // Wakes the posters that wait, to look at their stop flags.
    void WakePosters();
    // The sinks advised through this link, by the cookie the desk holds; window thread only.
    // Advise answers that cookie, Unadvise takes it.
    com::HRESULT Advise(com::ComPtr<com::IDispatch> sink, com::DWORD& cookie);
    com::HRESULT Unadvise(com::DWORD cookie);
    // The values of the last Logon, for a host that comes back; window thread only.
    void RememberLogon(const hoxlink::LogonCall& call);
    void AddRestorable(Restorable* proxy);
    void RemoveRestorable(Restorable* proxy);

    // The desk's name for a notify object on the host, the same for the same object.
    uint64_t NotifyId(hox::IHoxQuotesNotify* notify);

    // Says one line on standard error.
    static void Log(const std::string& line);

private:
    Link(const ProxyOptions& options, com::TApartment::TRef apartment,
         std::shared_ptr<TlsContext> tls, std::string token);
    // Where the host is, for messages: unix:PATH or HOST:PORT.
    std::string Where() const;
    // Connects and says hello in the role; the host's answer in hello.
    LinkStatus Connect(uint32_t role, std::unique_ptr<Connection>& connection,
                       hoxlink::DeskEvent& hello) const;
    // Opens the session and waits for the host's answer; the reader then goes on with the
    // events and records.
    bool Handshake(CallFailure& failure);
    void ReadSession(std::shared_ptr<std::promise<CallFailure>> hello);
    // Reads the session's frames until it ends; why it did.
    std::string ReadFrames(Connection& session);
    // Hands one frame of the session on: at once on the desk's thread (direct), or from the
    // reader's through the queue. False when the session is over.
    bool HandleFrame(const hoxlink::Frame& frame, Connection& session, bool direct);
    // When the desk's apartment watches descriptors, its own thread reads the session, and a
    // record reaches the window without waking a thread of the link's first.
    // Window thread: watches the session for the apartment.
    void WatchSession(std::shared_ptr<Connection> session);
    // Window thread: reads what arrived and hands it over, a few milliseconds at a time.
    void OnSessionReadable(const std::shared_ptr<Connection>& session);
    // Window thread: the watched session is over; the reader goes on from there.
    void SessionLost(const Connection& session, std::string why);
    // Reader's thread, while the apartment reads the session: waits until it is lost or falls
    // silent (nothing came, and nothing waits unread, for SilenceLimitMs); why it ended.
    std::string WaitWhileWatched(const std::shared_ptr<Connection>& session);
    // Tries again with growing pauses until a host answers (its session) or the link closes
    // (null).
    std::shared_ptr<Connection> Reconnect();
    void PostEvent(const hoxlink::DeskEvent& event);
    // Desk's thread: runs the queued calls for a while, and wakes the apartment again for the
    // rest.
    void RunQueued();
    // Wakes the apartment to run the queue; drops the queue when the apartment has gone.
    bool WakeApartment();
    void DeliverEvent(const hoxlink::DeskEvent& event, uint64_t session);
    static void InvokeSink(com::IDispatch& sink, const hoxlink::DeskEvent& event);
    // Window thread: event 4, the host went away, to the sinks.
    void TellLost();
    void Restore(uint64_t session);
    void Close();

    const ProxyOptions options_;
    const com::TApartment::TRef apartment_;
    const std::shared_ptr<TlsContext> tls_; // for a host on another machine
    const std::string token_;
    std::shared_ptr<Connection> session_; // under lock_
    std::thread reader_;
    const bool direct_; // the apartment reads the session
    // Window thread: the watched session and its watch.
    std::shared_ptr<Connection> watched_;
    com::ApartmentWatch watch_;
    bool continuing_ = false; // a slice's rest is posted
    std::atomic<int64_t> lastHeard_{0}; // steady clock ticks of the last frame read
    // Under lock_: why the watched session ended, for the reader.
    const Connection* lostSession_ = nullptr;
    std::string lostWhy_;
    // The calls connection, made for the session numbered callsSession_.
    std::mutex callLock_;
    std::unique_ptr<Connection> calls_; // under callLock_
    uint64_t callsSession_ = 0;         // under callLock_
    uint32_t seq_ = 0;                  // under callLock_
    std::map<uint64_t, std::shared_ptr<StreamSink>> streams_; // under lock_
    uint64_t nextStream_ = 1;                                 // under lock_
    std::atomic<uint64_t> desk_{0};
    std::atomic<uint64_t> sessions_{0}; // the sessions opened; events of an older one are dropped
    uint64_t restored_ = 1; // window thread: the session whose objects the desk made or restored
    std::weak_ptr<Link> self_;

    std::mutex lock_;
    std::condition_variable drained_;
    struct Queued {
        com::ApartmentCall call;
        int records = 1;
    };
    std::deque<Queued> queue_; // posted and not yet run
    int waiting_ = 0;          // the records of queue_
    bool woken_ = false;       // the apartment will run the queue
    bool closing_ = false;
    std::map<hox::IHoxQuotesNotify*, uint64_t> notifyIds_;

    // Window thread only.
    struct Sink {
        com::ComPtr<com::IDispatch> sink;
        uint32_t hostCookie; // the host's cookie in the current session
    };
    std::map<com::DWORD, Sink> sinks_;
    // The last sink unadvised through the link, held until the link goes: it hears of a lost
    // host (event 4) too, so a window that stopped but holds the manager still shows the loss.
    com::ComPtr<com::IDispatch> unadvised_;
    std::optional<hoxlink::LogonCall> lastLogon_;
    std::vector<Restorable*> restorables_;
};

} // namespace hostlink
