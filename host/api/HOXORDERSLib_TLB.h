// The order type library of the trading host: the order client.
#pragma once

#include "com/Unknown.h"

namespace hox {

// {6D1C2A40-5B7E-4C1A-9E2F-0A1B2C3D4E10}
constexpr com::IID IID_IHoxOrderClient{
    0x6D1C2A40, 0x5B7E, 0x4C1A, {0x9E, 0x2F, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x10}};

class IHoxOrderClient : public com::IDispatch {
public:
    virtual com::HRESULT SetOrderClientFlag(int32_t flag) = 0;

protected:
    ~IHoxOrderClient() = default;
};

} // namespace hox

template <> struct com::InterfaceId<hox::IHoxOrderClient> {
    static constexpr const IID& value = hox::IID_IHoxOrderClient;
};
