#include "ConnectionInfo.h"

#include "com/ComPtr.h"

namespace hostsim {

com::ComPtr<com::IUnknown> ConnectionInfo::Create() {
    return com::ComPtr<com::IUnknown>(new ConnectionInfo, false);
}

com::HRESULT ConnectionInfo::QueryInterface(const com::IID& iid, void** object) {
    if (!object) return com::E_POINTER;
    *object = nullptr;
    if (iid == com::IID_IUnknown || iid == hox::IID_IHoxConnectionInfo)
        return com::AnswerInterface<hox::IHoxConnectionInfo>(this, object);
    return com::E_NOINTERFACE;
}

com::HRESULT ConnectionInfo::GetServerName(com::BSTR* name) {
    if (!name) return com::E_POINTER;
    *name = com::SysAllocString(u"hoxdesk simulated host");
    return com::S_OK;
}

} // namespace hostsim
