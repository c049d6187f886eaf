// The manager's proxy with its order client, events connection point and connection
// description; each call goes to the desk's session on the host.
#include "Link.h"
#include "Proxies.h"
#include "Wire.h"
#include "com/ComObject.h"

#include "HOXCOMLib_TLB.h"
#include "HoxReplay.h"

#include <algorithm>

namespace hostlink {

namespace {

class ConnectionInfoProxy final : public com::ComObject<hox::IHoxConnectionInfo> {
public:
    explicit ConnectionInfoProxy(std::u16string name) : name_(std::move(name)) {}
    com::HRESULT QueryInterface(const com::IID& iid, void** object) override {
        if (!object) return com::E_POINTER;
        *object = nullptr;
        if (iid == com::IID_IUnknown || iid == hox::IID_IHoxConnectionInfo)
            return com::AnswerInterface<hox::IHoxConnectionInfo>(this, object);
        return com::E_NOINTERFACE;
    }
    com::HRESULT GetServerName(com::BSTR* name) override {
        if (!name) return com::E_POINTER;
        *name = com::SysAllocString(name_);
        return com::S_OK;
    }

private:
    const std::u16string name_;
};

class OrderClientProxy final : public com::DispatchObject<hox::IHoxOrderClient> {
public:
    explicit OrderClientProxy(std::shared_ptr<Link> link) : link_(std::move(link)) {}
    com::HRESULT QueryInterface(const com::IID& iid, void** object) override {
        if (!object) return com::E_POINTER;
        *object = nullptr;
        if (iid == com::IID_IUnknown || iid == com::IID_IDispatch ||
            iid == hox::IID_IHoxOrderClient)
            return com::AnswerInterface<hox::IHoxOrderClient>(this, object);
        return com::E_NOINTERFACE;
    }
    com::HRESULT SetOrderClientFlag(int32_t flag) override {
        hoxlink::FlagCall call;
        call.set_desk(link_->Desk());
        call.set_flag(flag);
        hoxlink::Reply reply;
        return link_->Call(hoxlink::SET_ORDER_CLIENT_FLAG, call, reply);
    }

private:
    std::shared_ptr<Link> link_;
};

class EventsPointProxy final : public com::ComObject<com::IConnectionPoint> {
public:
    EventsPointProxy(com::ComPtr<com::IConnectionPointContainer> container,
                     std::shared_ptr<Link> link)
        : container_(std::move(container)), link_(std::move(link)) {}
    com::HRESULT QueryInterface(const com::IID& iid, void** object) override {
        if (!object) return com::E_POINTER;
        *object = nullptr;
        if (iid == com::IID_IUnknown || iid == com::IID_IConnectionPoint)
            return com::AnswerInterface<com::IConnectionPoint>(this, object);
        return com::E_NOINTERFACE;
    }
    com::HRESULT GetConnectionInterface(com::IID* iid) override {
        if (!iid) return com::E_POINTER;
        *iid = hox::DIID_IHoxComMgrEvents;
        return com::S_OK;
    }
    com::HRESULT GetConnectionPointContainer(com::IConnectionPointContainer** container) override {
        if (!container) return com::E_POINTER;
        *container = com::ComPtr(container_).Detach();
        return com::S_OK;
    }
    // The sink stays here, in the desk; the host keeps its cookie and sends its events.
    com::HRESULT Advise(com::IUnknown* sink, com::DWORD* cookie) override {
        if (!sink || !cookie) return com::E_POINTER;
        *cookie = 0;
        com::ComPtr<com::IDispatch> events;
        if (com::FAILED(sink->QueryInterface(hox::DIID_IHoxComMgrEvents, events.PutVoid())) ||
            !events)
            return com::CONNECT_E_CANNOTCONNECT;
        return link_->Advise(std::move(events), *cookie);
    }
    com::HRESULT Unadvise(com::DWORD cookie) override { return link_->Unadvise(cookie); }

private:
    com::ComPtr<com::IConnectionPointContainer> container_;
    std::shared_ptr<Link> link_;
};

class ManagerProxy final : public com::DispatchObject<hox::IHoxComMgr>,
                           public com::IConnectionPointContainer,
                           public hox::IHoxReplay {
public:
    explicit ManagerProxy(std::shared_ptr<Link> link) : link_(std::move(link)) {}

    com::HRESULT QueryInterface(const com::IID& iid, void** object) override {
        if (!object) return com::E_POINTER;
        *object = nullptr;
        if (iid == com::IID_IUnknown || iid == com::IID_IDispatch || iid == hox::IID_IHoxComMgr)
            return com::AnswerInterface<hox::IHoxComMgr>(this, object);
        if (iid == com::IID_IConnectionPointContainer)
            return com::AnswerInterface<com::IConnectionPointContainer>(this, object);
        if (iid == hox::IID_IHoxReplay) return com::AnswerInterface<hox::IHoxReplay>(this, object);
        return com::E_NOINTERFACE;
    }
    com::ULONG AddRef() override { return DispatchObject::AddRef(); }
    com::ULONG Release() override { return DispatchObject::Release(); }

    com::HRESULT GetLoggedOn(com::VARIANT_BOOL* loggedOn) override {
        if (!loggedOn) return com::E_POINTER;
        hoxlink::Reply reply;
        const com::HRESULT hr = link_->Call(hoxlink::GET_LOGGED_ON, DeskCall(), reply);
        if (!com::FAILED(hr)) *loggedOn = reply.flag() ? com::VARIANT_TRUE : com::VARIANT_FALSE;
        return hr;
    }
    // The host has one order client per manager; so has its proxy.
    com::HRESULT GetOrderClient(hox::IHoxOrderClient** client) override {
        if (!client) return com::E_POINTER;
        *client = nullptr;
        hoxlink::Reply reply;
        const com::HRESULT hr =
            link_->Call(hoxlink::GET_ORDER_CLIENT, DeskCall(), reply);
        if (com::FAILED(hr)) return hr;
        if (!orderClient_)
            orderClient_ = com::ComPtr<hox::IHoxOrderClient>(new OrderClientProxy(link_), false);
        *client = com::ComPtr(orderClient_).Detach();
        return hr;
    }
    com::HRESULT GetQuotes(hox::IHoxQuotes** quotes) override {
        if (!quotes) return com::E_POINTER;
        *quotes = nullptr;
        hoxlink::Reply reply;
        const com::HRESULT hr = link_->Call(hoxlink::GET_QUOTES, DeskCall(), reply);
        if (com::FAILED(hr)) return hr;
        *quotes = MakeQuotesProxy(link_, reply.id()).Detach();
        return hr;
    }
    com::HRESULT SetManagerFlag(int32_t flag) override {
        hoxlink::FlagCall call;
        call.set_desk(link_->Desk());
        call.set_flag(flag);
        hoxlink::Reply reply;
        return link_->Call(hoxlink::SET_MANAGER_FLAG, call, reply);
    }
    com::HRESULT Logon(int32_t clientId, com::BSTR userName, com::BSTR password, int32_t reserved,
                       com::VARIANT_BOOL* result) override {
        if (!result) return com::E_POINTER;
        hoxlink::LogonCall call;
        call.set_desk(link_->Desk());
        call.set_client_id(clientId);
        call.set_user_name(ToWire(com::BstrView(userName)));
        call.set_password(ToWire(com::BstrView(password)));
        call.set_reserved(reserved);
        hoxlink::Reply reply;
        const com::HRESULT hr = link_->Call(hoxlink::LOGON, call, reply);
        if (com::FAILED(hr)) return hr;
        *result = reply.flag() ? com::VARIANT_TRUE : com::VARIANT_FALSE;
        link_->RememberLogon(call);
        return hr;
    }
    com::HRESULT FindConnectionPoint(const com::IID& iid, com::IConnectionPoint** point) override {
        if (!point) return com::E_POINTER;
        *point = nullptr;
        if (!(iid == hox::DIID_IHoxComMgrEvents)) return com::CONNECT_E_NOCONNECTION;
        *point = new EventsPointProxy(com::ComPtr<com::IConnectionPointContainer>(this), link_);
        return com::S_OK;
    }

    // A host program older than these calls answers E_NOTIMPL, with its description left. The
    // window polls the position on its own thread, so a host that does not answer holds it for
    // PollTimeoutMs at most.
    com::HRESULT GetPosition(hox::ReplayPosition* position) override {
        if (!position) return com::E_POINTER;
        hoxlink::ReplayState state;
        const LinkStatus status = link_->Invoke(hoxlink::GET_REPLAY, DeskCall(), state,
                                                std::min(link_->CallTimeoutMs(), PollTimeoutMs));
        if (!status.ok()) return link_->Describe(status).Report();
        const auto flag = [](bool b) { return b ? com::VARIANT_TRUE : com::VARIANT_FALSE; };
        *position = {flag(state.replaying()), state.record_us(), state.percent(),
                     flag(state.paused()), flag(state.ended())};
        return state.hr();
    }
    com::HRESULT SetPaused(com::VARIANT_BOOL paused) override {
        hoxlink::ReplayCommand command;
        command.set_desk(link_->Desk());
        command.set_set_paused(true);
        command.set_paused(paused != 0);
        hoxlink::Reply reply;
        return link_->Call(hoxlink::CONTROL_REPLAY, command, reply);
    }
    com::HRESULT JumpTo(int64_t recordUs) override {
        hoxlink::ReplayCommand command;
        command.set_desk(link_->Desk());
        command.set_jump(true);
        command.set_record_us(recordUs);
        hoxlink::Reply reply;
        return link_->Call(hoxlink::CONTROL_REPLAY, command, reply);
    }

private:
    static constexpr int PollTimeoutMs = 200;

    hoxlink::DeskCall DeskCall() const {
        hoxlink::DeskCall call;
        call.set_desk(link_->Desk());
        return call;
    }

    std::shared_ptr<Link> link_;
    com::ComPtr<hox::IHoxOrderClient> orderClient_;
};

} // namespace

com::ComPtr<com::IUnknown> MakeConnectionInfo(std::u16string serverName) {
    return com::ComPtr<com::IUnknown>(new ConnectionInfoProxy(std::move(serverName)), false);
}

com::HRESULT CreateManagerProxy(const ProxyOptions& options, const com::IID& iid, void** object) {
    if (!object) return com::E_POINTER;
    *object = nullptr;
    // The host calls its client back in the client's apartment: there must be one.
    if (!com::TApartment::Current()) return com::CO_E_NOTINITIALIZED;
    std::shared_ptr<Link> link;
    const com::HRESULT hr = Link::Open(options, link);
    if (com::FAILED(hr)) return hr;
    com::ComPtr<hox::IHoxComMgr> manager(new ManagerProxy(std::move(link)), false);
    return manager->QueryInterface(iid, object);
}

} // namespace hostlink
