// What the manager hands over with event 2 after a logon: a description of its connection.
#pragma once

#include "HOXCOMLib_TLB.h"
#include "com/ComObject.h"
#include "com/ComPtr.h"

namespace hostsim {

class ConnectionInfo final : public com::ComObject<hox::IHoxConnectionInfo> {
public:
    static com::ComPtr<com::IUnknown> Create();

    com::HRESULT QueryInterface(const com::IID& iid, void** object) override;
    com::HRESULT GetServerName(com::BSTR* name) override;

private:
    ConnectionInfo() = default;
};

} // namespace hostsim
