// The manager type library of the trading host: the communications manager, its class, and
// its outgoing event interface.
#pragma once

#include "HOXORDERSLib_TLB.h"
#include "HOXQUOTELib_TLB.h"

namespace hox {

// {6D1C2A40-5B7E-4C1A-9E2F-0A1B2C3D4E20}
constexpr com::CLSID CLSID_HoxComMgr{
    0x6D1C2A40, 0x5B7E, 0x4C1A, {0x9E, 0x2F, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x20}};
// {6D1C2A40-5B7E-4C1A-9E2F-0A1B2C3D4E21}
constexpr com::IID IID_IHoxComMgr{
    0x6D1C2A40, 0x5B7E, 0x4C1A, {0x9E, 0x2F, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x21}};
// {6D1C2A40-5B7E-4C1A-9E2F-0A1B2C3D4E22}: the dispatch interface of the manager's events.
constexpr com::IID DIID_IHoxComMgrEvents{
    0x6D1C2A40, 0x5B7E, 0x4C1A, {0x9E, 0x2F, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x22}};
// {6D1C2A40-5B7E-4C1A-9E2F-0A1B2C3D4E23}: the interface that event 2 carries.
constexpr com::IID IID_IHoxConnectionInfo{
    0x6D1C2A40, 0x5B7E, 0x4C1A, {0x9E, 0x2F, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x23}};

// Dispatch ids of IHoxComMgrEvents.
constexpr com::DISPID DISPID_HealthUpdate = 1;   // (int32 selector, int32 state)
constexpr com::DISPID DISPID_ConnectionInfo = 2; // (IUnknown)
constexpr com::DISPID DISPID_Connected = 3;
constexpr com::DISPID DISPID_Disconnected = 4;
constexpr com::DISPID DISPID_ShutDown = 5;

// What event 2 hands over: the host's description of its connection.
class IHoxConnectionInfo : public com::IUnknown {
public:
    virtual com::HRESULT GetServerName(BSTR* name) = 0;

protected:
    ~IHoxConnectionInfo() = default;
};

class IHoxComMgr : public com::IDispatch {
public:
    virtual HRESULT GetLoggedOn(com::VARIANT_BOOL* loggedOn) = 0;
    virtual HRESULT GetOrderClient(IHoxOrderClient** client) = 0;
    // A new quote object on each call.
    virtual HRESULT GetQuotes(IHoxQuotes** quotes) = 0;
    virtual HRESULT SetManagerFlag(int32_t flag) = 0;
    virtual HRESULT Logon(int32_t clientId, BSTR userName, BSTR password, int32_t reserved,
                          com::VARIANT_BOOL* result) = 0;

protected:
    ~IHoxComMgr() = default;
};

} // namespace hox

template <> struct com::InterfaceId<hox::IHoxComMgr> {
    static constexpr const IID& value = hox::IID_IHoxComMgr;
};
template <> struct com::InterfaceId<hox::IHoxConnectionInfo> {
    static constexpr const IID& value = hox::IID_IHoxConnectionInfo;
};
