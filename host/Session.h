// One manager's world: its subscriptions, the sinks advised on its events, the logon state,
// the feed models of the subscribed symbols and the feed thread. Shared by the manager, its
// quote objects and its connection points.
//
// Every call into the client runs on the client's window thread: deliveries are posted to the
// apartment of the thread that created the manager (or, for tests, run on the calling window
// thread) and look their subscription or sink up again when they run, so nothing reaches a
// notify object or sink that has gone.
#pragma once

#include "FeedModel.h"
#include "HOXQUOTELib_TLB.h"
#include "com/Apartment.h"
#include "com/ComPtr.h"
#include "host/HostControl.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace hostsim {

// States the health event (selector 0) reports.
enum HealthState : int32_t { StateConnecting = 1, StateConnected = 2, StateLoggedOn = 3 };

class Session : public std::enable_shared_from_this<Session> {
public:
    // A new session with its feed thread running, known to HostControl; it calls the client
    // in the calling thread's apartment.
    static std::shared_ptr<Session> Create();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // owner tells the quote objects apart: Unsubscribe ends only that object's subscriptions,
    // those of notify or, when notify is null, all of them.
    com::HRESULT Subscribe(const void* owner, hox::IHoxQuotesNotify* notify,
                           std::u16string_view symbol, int32_t kind);
    void Unsubscribe(const void* owner, hox::IHoxQuotesNotify* notify);

    // The sink must answer the events' dispatch interface; 0 when the session has ended.
    com::DWORD Advise(com::ComPtr<com::IDispatch> sink);
    bool Unadvise(com::DWORD cookie);

    bool Logon(std::u16string_view userName, std::u16string_view password);
    bool LoggedOn() const;

    void PostNext(FeedKind kind);
    int DeliverNext(FeedKind kind, int count);
    void PostQuote(const hox::QuoteRecord& record);
    void PostLevel2(const hox::Level2Record& record);
    void PostHealth(int32_t selector, int32_t state);
    void PostSignal(com::DISPID id) { PostEvent(id, {}, nullptr); }
    // Adds the symbols and kinds this session subscribes.
    void AddWatched(std::set<std::pair<std::u16string, FeedKind>>& watched) const;
    // True while so many deliveries wait for the client that a feed should hold back.
    bool Behind() const { return inFlight_ >= MaxInFlight; }

    // Rereads the rate and health interval.
    void Wake();
    // Joins the feed thread; client references stay.
    void StopFeed();
    // The manager is gone: stops the feed and releases every client reference.
    void Shutdown();

private:
    using Delivery = std::function<bool()>; // true when it reached the client

    struct Subscription {
        uint64_t id;
        const void* owner;
        com::ComPtr<hox::IHoxQuotesNotify> notify;
        std::u16string symbol;
        FeedKind kind;
    };

    Session() = default;
    void Run();
    std::vector<Delivery> Generate(FeedKind kind);
    // Adds a delivery of the record for each subscription of its kind whose symbol it carries;
    // without a symbol (a test's injected record) it goes to every subscription of the kind.
    // Under lock_.
    template <class Record>
    void AddDeliveries(std::vector<Delivery>& deliveries, FeedKind kind,
                       const std::u16string* symbol, std::shared_ptr<const Record> record);
    void Post(std::vector<Delivery> deliveries);
    void PostEvent(com::DISPID id, std::vector<int32_t> ints, com::ComPtr<com::IUnknown> object);
    com::ComPtr<hox::IHoxQuotesNotify> Find(uint64_t subscription) const;
    bool Deliver(uint64_t subscription, const OwnedQuote& quote);
    bool Deliver(uint64_t subscription, const OwnedLevel2& entry);
    bool DeliverEvent(com::DWORD cookie, com::DISPID id, const std::vector<int32_t>& ints,
                      com::IUnknown* object);
    FeedModel& Model(const std::u16string& symbol);

    com::TApartment::TRef apartment_;
    mutable std::mutex lock_;
    std::condition_variable wake_;
    bool stopping_ = false;
    bool ended_ = false;
    bool loggedOn_ = false;
    uint64_t seed_ = 0;
    uint64_t nextSubscription_ = 1;
    com::DWORD nextCookie_ = 1;
    std::vector<Subscription> subscriptions_;
    std::map<com::DWORD, com::ComPtr<com::IDispatch>> sinks_;
    std::map<std::u16string, FeedModel> models_;
    std::thread feed_;
    // Posted deliveries not yet run. The feed pauses above MaxInFlight, so a window that falls
    // behind is not buried under an ever longer queue.
    static constexpr int MaxInFlight = 1000;
    std::atomic<int> inFlight_{0};
};

} // namespace hostsim
