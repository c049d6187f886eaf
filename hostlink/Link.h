// One desk's session on the host program: the channel, the desk's id on the host, the stream
// of the desk's events and its reader, the sinks advised through the link and the names of the
// notify objects. The proxies of one manager share it; the session ends with the last of them.
#pragma once

#include "com/Apartment.h"
#include "com/ComPtr.h"
#include "hostlink.grpc.pb.h"
#include "hostlink/HostProxy.h"

#include "HOXQUOTELib_TLB.h"

#include <atomic>
#include <condition_variable>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace hostlink {

// A failed call's HRESULT with the description the caller's OleCheck shows.
struct CallFailure {
    com::HRESULT hr = com::S_OK;
    std::string text;
    // Leaves the description for the calling thread's OleCheck and answers hr.
    com::HRESULT Report() const;
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
    hoxlink::Host::Stub& Stub() { return *stub_; }
    int CallTimeoutMs() const { return options_.CallTimeoutMs; }

    // One call with the call deadline: the host's HRESULT, or a transport failure's (reported).
    template <class Request>
    com::HRESULT Call(grpc::Status (hoxlink::Host::Stub::*method)(grpc::ClientContext*,
                                                                  const Request&, hoxlink::Reply*),
                      const Request& request, hoxlink::Reply& reply) {
        grpc::ClientContext context;
        context.set_deadline(std::chrono::system_clock::now() +
                             std::chrono::milliseconds(options_.CallTimeoutMs));
        const grpc::Status status = ((*stub_).*method)(&context, request, &reply);
        if (!status.ok()) return Describe(status).Report();
        return reply.hr();
    }
    CallFailure Describe(const grpc::Status& status) const;

    // Runs call in the desk's apartment between its messages. Waits while many calls wait
    // there, so a window that falls behind holds the host's stream back instead of queueing
    // without bound; false when the apartment or the link has gone, or stop was set.
    bool Post(com::ApartmentCall call, const std::atomic<bool>* stop = nullptr);
    // Wakes the posters that wait, to look at their stop flags.
    void WakePosters();

    // The sinks advised through this link, by cookie; window thread only.
    void AddSink(uint32_t cookie, com::ComPtr<com::IDispatch> sink);
    void RemoveSink(uint32_t cookie);

    // The desk's name for a notify object on the host, the same for the same object.
    uint64_t NotifyId(hox::IHoxQuotesNotify* notify);

    // Says one line on standard error.
    static void Log(const std::string& line);

private:
    Link(const ProxyOptions& options, com::TApartment::TRef apartment);
    // Opens the session stream and waits for the host's answer; the reader then goes on with
    // the events.
    bool Handshake(CallFailure& failure);
    void ReadEvents(std::shared_ptr<std::promise<CallFailure>> hello);
    void DeliverEvent(const hoxlink::DeskEvent& event);
    void Close();

    const ProxyOptions options_;
    const com::TApartment::TRef apartment_;
    std::shared_ptr<grpc::Channel> channel_;
    std::unique_ptr<hoxlink::Host::Stub> stub_;
    std::unique_ptr<grpc::ClientContext> session_;
    std::thread events_;
    uint64_t desk_ = 0;
    std::weak_ptr<Link> self_;

    std::mutex lock_;
    std::condition_variable drained_;
    int waiting_ = 0; // calls posted and not yet run
    bool closing_ = false;
    std::map<hox::IHoxQuotesNotify*, uint64_t> notifyIds_;

    std::map<uint32_t, com::ComPtr<com::IDispatch>> sinks_; // window thread only
};

} // namespace hostlink
