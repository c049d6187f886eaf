#include "hostlink/HostProxy.h"

#include "Proxies.h"
#include "com/ClassRegistry.h"

#include "HOXCOMLib_TLB.h"

namespace hostlink {

void RegisterHostProxy(const ProxyOptions& options) {
    com::CoRegisterClass(hox::CLSID_HoxComMgr, [options](const com::IID& iid, void** object) {
        return CreateManagerProxy(options, iid, object);
    });
}

void RevokeHostProxy() {
    com::CoRevokeClass(hox::CLSID_HoxComMgr);
}

} // namespace hostlink
