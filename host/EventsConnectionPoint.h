// The manager's connection point for its outgoing events. A thin view: the advised sinks live
// in the session, so any number of these objects can be handed out.
#pragma once

#include "com/ComObject.h"
#include "com/ComPtr.h"

#include <memory>

namespace hostsim {

class Session;

class EventsConnectionPoint final : public com::ComObject<com::IConnectionPoint> {
public:
    static com::ComPtr<com::IConnectionPoint>
    Create(com::ComPtr<com::IConnectionPointContainer> container, std::shared_ptr<Session> session);

    com::HRESULT QueryInterface(const com::IID& iid, void** object) override;
    com::HRESULT GetConnectionInterface(com::IID* iid) override;
    com::HRESULT GetConnectionPointContainer(com::IConnectionPointContainer** container) override;
    // The sink must answer the events' dispatch interface.
    com::HRESULT Advise(com::IUnknown* sink, com::DWORD* cookie) override;
    com::HRESULT Unadvise(com::DWORD cookie) override;

private:
    EventsConnectionPoint(com::ComPtr<com::IConnectionPointContainer> container,
                          std::shared_ptr<Session> session)
        : container_(std::move(container)), session_(std::move(session)) {}

    com::ComPtr<com::IConnectionPointContainer> container_;
    std::shared_ptr<Session> session_;
};

} // namespace hostsim
