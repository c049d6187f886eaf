// The proxies' makers, for the link and the registration.
#pragma once

#include "com/ComPtr.h"
#include "hostlink/HostProxy.h"

#include <memory>
#include <string>

namespace hox {
class IHoxQuotes;
class IHoxOrderClient;
} // namespace hox

namespace hostlink {

class Link;

// The class factory of the manager: opens a session on the host for the calling thread's
// apartment and answers the manager's proxy.
com::HRESULT CreateManagerProxy(const ProxyOptions& options, const com::IID& iid, void** object);
// The host's quote object id, seen through the link.
com::ComPtr<hox::IHoxQuotes> MakeQuotesProxy(std::shared_ptr<Link> link, uint64_t id);
// What event 2 hands the client: the host's description of its connection.
com::ComPtr<com::IUnknown> MakeConnectionInfo(std::u16string serverName);

} // namespace hostlink
