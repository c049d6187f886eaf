// The order client: the client only sets its flag.
#pragma once

#include "HOXORDERSLib_TLB.h"
#include "com/ComObject.h"
#include "com/ComPtr.h"

namespace hostsim {

class OrderClient final : public com::DispatchObject<hox::IHoxOrderClient> {
public:
    static com::ComPtr<hox::IHoxOrderClient> Create();

    com::HRESULT QueryInterface(const com::IID& iid, void** object) override;
    com::HRESULT SetOrderClientFlag(int32_t flag) override;

private:
    OrderClient() = default;
};

} // namespace hostsim
