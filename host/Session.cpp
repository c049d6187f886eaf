#include "Session.h"

#include "ConnectionInfo.h"
#include "HostProcess.h"
#include "com/Apartment.h"

#include "HOXCOMLib_TLB.h"

#include <algorithm>
#include <chrono>

namespace hostsim {

std::shared_ptr<Session> Session::Create() {
    std::shared_ptr<Session> session(new Session);
    session->apartment_ = com::TApartment::Current();
    session->seed_ = HostProcess::Get().Seed();
    HostProcess::Get().AddSession(session);
    session->feed_ = std::thread([s = session.get()] { s->Run(); });
    return session;
}

Session::~Session() {
    StopFeed();
}

com::HRESULT Session::Subscribe(const void* owner, hox::IHoxQuotesNotify* notify,
                                std::u16string_view symbol, int32_t kind) {
    if (!notify) return com::E_POINTER;
    if (kind != int32_t(FeedKind::Level2) && kind != int32_t(FeedKind::Quote))
        return com::E_INVALIDARG;
    {
        std::lock_guard guard(lock_);
        if (ended_) return com::E_UNEXPECTED;
        for (const auto& s : subscriptions_)
            if (s.owner == owner && s.notify.Get() == notify && s.symbol == symbol &&
                s.kind == FeedKind(kind))
                return com::S_OK; // already subscribed: one stream, not two
        subscriptions_.push_back({nextSubscription_++, owner, com::ComPtr(notify),
                                  std::u16string(symbol), FeedKind(kind)});
    }
    HostProcess::Get().RefreshWatches();
    return com::S_OK;
}

void Session::Unsubscribe(const void* owner, hox::IHoxQuotesNotify* notify) {
    std::vector<Subscription> ended;
    {
        std::lock_guard guard(lock_);
        std::erase_if(subscriptions_, [&](Subscription& s) {
            if (s.owner != owner || (notify && s.notify.Get() != notify)) return false;
            ended.push_back(std::move(s));
            return true;
        });
    }
    HostProcess::Get().RefreshWatches();
    // The references are released here, outside the lock, in case the client calls back.
}

void Session::AddWatched(std::set<std::pair<std::u16string, FeedKind>>& watched) const {
    std::lock_guard guard(lock_);
    for (const auto& s : subscriptions_) watched.emplace(s.symbol, s.kind);
}

com::DWORD Session::Advise(com::ComPtr<com::IDispatch> sink) {
    std::lock_guard guard(lock_);
    if (ended_) return 0;
    com::DWORD cookie = nextCookie_++;
    sinks_.emplace(cookie, std::move(sink));
    return cookie;
}

bool Session::Unadvise(com::DWORD cookie) {
    com::ComPtr<com::IDispatch> sink;
    std::lock_guard guard(lock_);
    auto it = sinks_.find(cookie);
    if (it == sinks_.end()) return false;
    sink = std::move(it->second);
    sinks_.erase(it);
    return true;
}

bool Session::Logon(std::u16string_view userName, std::u16string_view password) {
    bool accepted = !userName.empty() && !password.empty();
    {
        std::lock_guard guard(lock_);
        loggedOn_ = accepted;
    }
    PostHealth(0, StateConnecting);
    if (accepted) {
        PostEvent(hox::DISPID_Connected, {}, nullptr);
        PostEvent(hox::DISPID_ConnectionInfo, {}, ConnectionInfo::Create());
    }
    PostHealth(0, accepted ? StateLoggedOn : StateConnected);
    return accepted;
}

bool Session::LoggedOn() const {
    std::lock_guard guard(lock_);
    return loggedOn_;
}

FeedModel& Session::Model(const std::u16string& symbol) {
    auto it = models_.find(symbol);
    if (it == models_.end()) it = models_.try_emplace(symbol, symbol, seed_).first;
    return it->second;
}

template <class Record>
void Session::AddDeliveries(std::vector<Delivery>& deliveries, FeedKind kind,
                            const std::u16string* symbol, std::shared_ptr<const Record> record) {
    std::weak_ptr<Session> weak = weak_from_this();
    for (const auto& s : subscriptions_)
        if (s.kind == kind && (!symbol || s.symbol == *symbol))
            deliveries.push_back([weak, id = s.id, record] {
                auto self = weak.lock();
                return self && self->Deliver(id, *record);
            });
}

std::vector<Session::Delivery> Session::Generate(FeedKind kind) {
    rtl::TDateTime now = HostProcess::Get().Now();
    std::vector<Delivery> deliveries;
    std::lock_guard guard(lock_);
    std::vector<const std::u16string*> symbols;
    for (const auto& s : subscriptions_) {
        if (s.kind != kind) continue;
        bool seen = false;
        for (auto* sym : symbols) seen = seen || *sym == s.symbol;
        if (!seen) symbols.push_back(&s.symbol);
    }
    for (const std::u16string* symbol : symbols) {
        FeedModel& model = Model(*symbol);
        if (kind == FeedKind::Quote)
            AddDeliveries(deliveries, kind, symbol,
                          std::make_shared<const OwnedQuote>(model.NextQuote(now)));
        else
            AddDeliveries(deliveries, kind, symbol,
                          std::make_shared<const OwnedLevel2>(model.NextLevel2(now)));
    }
    return deliveries;
}

void Session::Post(std::vector<Delivery> deliveries) {
    std::weak_ptr<Session> weak = weak_from_this();
    inFlight_ += int(deliveries.size());
    for (auto& d : deliveries) {
        const bool posted = apartment_.Post([weak, d = std::move(d)] {
            if (auto self = weak.lock()) --self->inFlight_;
            d();
        });
        if (!posted) --inFlight_; // the client's apartment has gone
    }
}

void Session::PostNext(FeedKind kind) {
    Post(Generate(kind));
}

int Session::DeliverNext(FeedKind kind, int count) {
    int made = 0;
    for (int i = 0; i < count; ++i)
        for (auto& d : Generate(kind)) made += d() ? 1 : 0;
    return made;
}

void Session::PostQuote(const hox::QuoteRecord& record) {
    const std::u16string symbol(com::BstrView(record.bstrSymbol));
    std::vector<Delivery> deliveries;
    {
        std::lock_guard guard(lock_);
        AddDeliveries(deliveries, FeedKind::Quote, record.bstrSymbol ? &symbol : nullptr,
                      std::make_shared<const OwnedQuote>(OwnedQuote::CopyOf(record)));
    }
    Post(std::move(deliveries));
}

void Session::PostLevel2(const hox::Level2Record& record) {
    const std::u16string symbol(com::BstrView(record.bstrSymbol));
    std::vector<Delivery> deliveries;
    {
        std::lock_guard guard(lock_);
        AddDeliveries(deliveries, FeedKind::Level2, record.bstrSymbol ? &symbol : nullptr,
                      std::make_shared<const OwnedLevel2>(OwnedLevel2::CopyOf(record)));
    }
    Post(std::move(deliveries));
}

void Session::PostHealth(int32_t selector, int32_t state) {
    PostEvent(hox::DISPID_HealthUpdate, {selector, state}, nullptr);
}

void Session::PostEvent(com::DISPID id, std::vector<int32_t> ints,
                        com::ComPtr<com::IUnknown> object) {
    std::weak_ptr<Session> weak = weak_from_this();
    std::vector<Delivery> deliveries;
    {
        std::lock_guard guard(lock_);
        for (const auto& [cookie, sink] : sinks_)
            deliveries.push_back([weak, cookie = cookie, id, ints, object] {
                auto self = weak.lock();
                return self && self->DeliverEvent(cookie, id, ints, object.Get());
            });
    }
    Post(std::move(deliveries));
}

com::ComPtr<hox::IHoxQuotesNotify> Session::Find(uint64_t subscription) const {
    std::lock_guard guard(lock_);
    for (const auto& s : subscriptions_)
        if (s.id == subscription) return s.notify;
    return nullptr;
}

bool Session::Deliver(uint64_t subscription, const OwnedQuote& quote) {
    auto notify = Find(subscription);
    if (!notify) return false;
    QuoteCall call(quote);
    notify->OnQuoteData(call.Record()); // the client's answer changes nothing here
    return true;
}

bool Session::Deliver(uint64_t subscription, const OwnedLevel2& entry) {
    auto notify = Find(subscription);
    if (!notify) return false;
    Level2Call call(entry);
    notify->OnLevel2Data(call.Record());
    return true;
}

bool Session::DeliverEvent(com::DWORD cookie, com::DISPID id, const std::vector<int32_t>& ints,
                           com::IUnknown* object) {
    com::ComPtr<com::IDispatch> sink;
    {
        std::lock_guard guard(lock_);
        auto it = sinks_.find(cookie);
        if (it == sinks_.end()) return false;
        sink = it->second;
    }
    // Arguments travel last first.
    std::vector<com::VARIANT> args;
    if (object) args.push_back(com::MakeUnknown(object));
    for (auto it = ints.rbegin(); it != ints.rend(); ++it) args.push_back(com::MakeI4(*it));
    com::DISPPARAMS params;
    params.rgvarg = args.data();
    params.cArgs = com::UINT(args.size());
    sink->Invoke(id, com::GUID_NULL, 0, com::DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    for (auto& a : args) com::VariantClear(a);
    return true;
}

void Session::Wake() {
    { std::lock_guard guard(lock_); }
    wake_.notify_all();
}

void Session::Run() {
    using Clock = std::chrono::steady_clock;
    auto nextData = Clock::time_point::max();
    auto nextHealth = Clock::time_point::max();
    std::unique_lock lk(lock_);
    while (!stopping_) {
        auto now = Clock::now();
        double rate = HostProcess::Get().Rate();
        int healthMs = HostProcess::Get().HealthInterval();
        // Between a record an hour and ten thousand a second: beyond that the pace means nothing.
        auto period = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(rate > 0 ? std::clamp(1.0 / rate, 0.0001, 3600.0) : 0));
        auto healthPeriod = std::chrono::milliseconds(healthMs);
        // Switched on or shortened since the last round: the new pace starts now.
        if (rate <= 0)
            nextData = Clock::time_point::max();
        else if (nextData == Clock::time_point::max() || nextData > now + period)
            nextData = now + period;
        if (healthMs <= 0)
            nextHealth = Clock::time_point::max();
        else if (nextHealth == Clock::time_point::max() || nextHealth > now + healthPeriod)
            nextHealth = now + healthPeriod;

        wake_.wait_until(lk, std::min({nextData, nextHealth, now + std::chrono::seconds(1)}));
        if (stopping_) break;
        now = Clock::now();
        bool data = now >= nextData;
        bool health = now >= nextHealth;
        // A feed that fell behind (a busy machine) resumes its pace instead of bursting.
        if (data) nextData = nextData + period < now ? now + period : nextData + period;
        if (health) nextHealth = now + healthPeriod;
        int32_t state = loggedOn_ ? StateLoggedOn : StateConnected;
        lk.unlock();
        if (data && inFlight_ < MaxInFlight) {
            PostNext(FeedKind::Quote);
            PostNext(FeedKind::Level2);
        }
        if (health) PostHealth(0, state);
        lk.lock();
    }
}

void Session::StopFeed() {
    std::thread feed;
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
        feed = std::move(feed_);
    }
    wake_.notify_all();
    if (feed.joinable()) feed.join();
}

void Session::Shutdown() {
    StopFeed();
    std::vector<Subscription> subscriptions;
    std::map<com::DWORD, com::ComPtr<com::IDispatch>> sinks;
    {
        std::lock_guard guard(lock_);
        ended_ = true;
        subscriptions.swap(subscriptions_);
        sinks.swap(sinks_);
    }
    HostProcess::Get().RefreshWatches();
}

} // namespace hostsim
