#include "EventsConnectionPoint.h"

#include "HOXCOMLib_TLB.h"
#include "HostProcess.h"
#include "Session.h"

namespace hostsim {

com::ComPtr<com::IConnectionPoint>
EventsConnectionPoint::Create(com::ComPtr<com::IConnectionPointContainer> container,
                              std::shared_ptr<Session> session) {
    return com::ComPtr<com::IConnectionPoint>(
        new EventsConnectionPoint(std::move(container), std::move(session)), false);
}

com::HRESULT EventsConnectionPoint::QueryInterface(const com::IID& iid, void** object) {
    if (!object) return com::E_POINTER;
    *object = nullptr;
    if (iid == com::IID_IUnknown || iid == com::IID_IConnectionPoint)
        return com::AnswerInterface<com::IConnectionPoint>(this, object);
    return com::E_NOINTERFACE;
}

com::HRESULT EventsConnectionPoint::GetConnectionInterface(com::IID* iid) {
    if (!iid) return com::E_POINTER;
    *iid = hox::DIID_IHoxComMgrEvents;
    return com::S_OK;
}

com::HRESULT
EventsConnectionPoint::GetConnectionPointContainer(com::IConnectionPointContainer** container) {
    if (!container) return com::E_POINTER;
    *container = com::ComPtr(container_).Detach();
    return com::S_OK;
}

com::HRESULT EventsConnectionPoint::Advise(com::IUnknown* sink, com::DWORD* cookie) {
    com::HRESULT hr = HostProcess::Get().Enter("Advise", "Advise");
    if (com::FAILED(hr)) return hr;
    if (!sink || !cookie) return com::E_POINTER;
    *cookie = 0;
    com::ComPtr<com::IDispatch> events;
    if (com::FAILED(sink->QueryInterface(hox::DIID_IHoxComMgrEvents, events.PutVoid())) || !events)
        return com::CONNECT_E_CANNOTCONNECT;
    *cookie = session_->Advise(std::move(events));
    return *cookie ? com::S_OK : com::E_UNEXPECTED;
}

com::HRESULT EventsConnectionPoint::Unadvise(com::DWORD cookie) {
    com::HRESULT hr = HostProcess::Get().Enter("Unadvise", "Unadvise");
    if (com::FAILED(hr)) return hr;
    return session_->Unadvise(cookie) ? com::S_OK : com::CONNECT_E_NOCONNECTION;
}

} // namespace hostsim
