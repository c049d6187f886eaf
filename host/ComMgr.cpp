#include "ComMgr.h"

#include "EventsConnectionPoint.h"
#include "HostProcess.h"
#include "OrderClient.h"
#include "Quotes.h"
#include "Session.h"
#include "com/Apartment.h"
#include "rtl/AnsiText.h"
#include "rtl/NumberText.h"

namespace hostsim {

com::HRESULT ComMgr::CreateInstance(const com::IID& iid, void** object) {
    if (!object) return com::E_POINTER;
    *object = nullptr;
    com::HRESULT hr = HostProcess::Get().Enter("CoCreateInstance", "CoCreateInstance");
    if (com::FAILED(hr)) return hr;
    // The manager calls its client back in the client's apartment: there must be one.
    if (!com::TApartment::Current()) return com::CO_E_NOTINITIALIZED;
    com::ComPtr<hox::IHoxComMgr> manager(new ComMgr, false);
    return manager->QueryInterface(iid, object);
}

ComMgr::ComMgr() : session_(Session::Create()), orderClient_(OrderClient::Create()) {}

ComMgr::~ComMgr() {
    session_->Shutdown();
}

com::HRESULT ComMgr::QueryInterface(const com::IID& iid, void** object) {
    if (!object) return com::E_POINTER;
    *object = nullptr;
    if (iid == com::IID_IUnknown || iid == com::IID_IDispatch || iid == hox::IID_IHoxComMgr)
        return com::AnswerInterface<hox::IHoxComMgr>(this, object);
    if (iid == com::IID_IConnectionPointContainer)
        return com::AnswerInterface<com::IConnectionPointContainer>(this, object);
    if (iid == hox::IID_IHoxReplay) return com::AnswerInterface<hox::IHoxReplay>(this, object);
    return com::E_NOINTERFACE;
}

com::HRESULT ComMgr::GetLoggedOn(com::VARIANT_BOOL* loggedOn) {
    com::HRESULT hr = HostProcess::Get().Enter("GetLoggedOn", "GetLoggedOn");
    if (com::FAILED(hr)) return hr;
    if (!loggedOn) return com::E_POINTER;
    bool answer = HostProcess::Get().LoggedOnAnswer().value_or(session_->LoggedOn());
    *loggedOn = answer ? com::VARIANT_TRUE : com::VARIANT_FALSE;
    return com::S_OK;
}

com::HRESULT ComMgr::GetOrderClient(hox::IHoxOrderClient** client) {
    com::HRESULT hr = HostProcess::Get().Enter("GetOrderClient", "GetOrderClient");
    if (com::FAILED(hr)) return hr;
    if (!client) return com::E_POINTER;
    *client = com::ComPtr(orderClient_).Detach();
    return com::S_OK;
}

com::HRESULT ComMgr::GetQuotes(hox::IHoxQuotes** quotes) {
    com::HRESULT hr = HostProcess::Get().Enter("GetQuotes", "GetQuotes");
    if (com::FAILED(hr)) return hr;
    if (!quotes) return com::E_POINTER;
    *quotes = Quotes::Create(session_).Detach();
    return com::S_OK;
}

com::HRESULT ComMgr::SetManagerFlag(int32_t flag) {
    return HostProcess::Get().Enter("SetManagerFlag",
                                    "SetManagerFlag(" + rtl::IntToStr(flag) + ")");
}

com::HRESULT ComMgr::Logon(int32_t clientId, com::BSTR userName, com::BSTR password,
                           int32_t reserved, com::VARIANT_BOOL* result) {
    std::u16string_view user = com::BstrView(userName), pass = com::BstrView(password);
    com::HRESULT hr = HostProcess::Get().Enter(
        "Logon", "Logon(" + rtl::IntToStr(clientId) + "," + rtl::WideToAnsi(user) + "," +
                     rtl::WideToAnsi(pass) + "," + rtl::IntToStr(reserved) + ")");
    if (com::FAILED(hr)) return hr;
    if (!result) return com::E_POINTER;
    *result = session_->Logon(user, pass) ? com::VARIANT_TRUE : com::VARIANT_FALSE;
    return com::S_OK;
}

com::HRESULT ComMgr::FindConnectionPoint(const com::IID& iid, com::IConnectionPoint** point) {
    com::HRESULT hr = HostProcess::Get().Enter("FindConnectionPoint", "FindConnectionPoint");
    if (com::FAILED(hr)) return hr;
    if (!point) return com::E_POINTER;
    *point = nullptr;
    if (!(iid == hox::DIID_IHoxComMgrEvents)) return com::CONNECT_E_NOCONNECTION;
    *point =
        EventsConnectionPoint::Create(com::ComPtr<com::IConnectionPointContainer>(this), session_)
            .Detach();
    return com::S_OK;
}

com::HRESULT ComMgr::GetPosition(hox::ReplayPosition* position) {
    if (!position) return com::E_POINTER;
    ReplayStatus status;
    const bool replaying = HostProcess::Get().ReplayState(status);
    const auto flag = [](bool b) { return b ? com::VARIANT_TRUE : com::VARIANT_FALSE; };
    *position = {flag(replaying), status.positionUs, status.percent, flag(status.paused),
                 flag(status.ended)};
    return com::S_OK;
}

com::HRESULT ComMgr::SetPaused(com::VARIANT_BOOL paused) {
    HostProcess::Get().PauseReplay(paused != 0);
    return com::S_OK;
}

com::HRESULT ComMgr::JumpTo(int64_t recordUs) {
    HostProcess::Get().JumpReplay(recordUs);
    return com::S_OK;
}

} // namespace hostsim
