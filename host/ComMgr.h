// The host's communications manager: logon state, the order client, new quote objects, and
// the connection point of its events. Its last Release ends the session and its feed thread.
#pragma once

#include "HOXCOMLib_TLB.h"
#include "HoxReplay.h"
#include "com/ComObject.h"
#include "com/ComPtr.h"

#include <memory>

namespace hostsim {

class Session;

class ComMgr final : public com::DispatchObject<hox::IHoxComMgr>,
                     public com::IConnectionPointContainer,
                     public hox::IHoxReplay {
public:
    // The class factory registered for CLSID_HoxComMgr.
    static com::HRESULT CreateInstance(const com::IID& iid, void** object);

    com::HRESULT QueryInterface(const com::IID& iid, void** object) override;
    com::ULONG AddRef() override { return DispatchObject::AddRef(); }
    com::ULONG Release() override { return DispatchObject::Release(); }

    com::HRESULT GetLoggedOn(com::VARIANT_BOOL* loggedOn) override;
    com::HRESULT GetOrderClient(hox::IHoxOrderClient** client) override;
    com::HRESULT GetQuotes(hox::IHoxQuotes** quotes) override;
    com::HRESULT SetManagerFlag(int32_t flag) override;
    com::HRESULT Logon(int32_t clientId, com::BSTR userName, com::BSTR password, int32_t reserved,
                       com::VARIANT_BOOL* result) override;

    com::HRESULT FindConnectionPoint(const com::IID& iid, com::IConnectionPoint** point) override;

    // The process's replay (--replay), when there is one.
    com::HRESULT GetPosition(hox::ReplayPosition* position) override;
    com::HRESULT SetPaused(com::VARIANT_BOOL paused) override;
    com::HRESULT JumpTo(int64_t recordUs) override;

private:
    ComMgr();
    ~ComMgr() override;

    std::shared_ptr<Session> session_;
    com::ComPtr<hox::IHoxOrderClient> orderClient_;
};

} // namespace hostsim
