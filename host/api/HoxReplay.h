// The desk's own interface beside the host's: the replay a host serves instead of a market, its
// position and its controls. The manager answers it from QueryInterface (a host program older
// than it answers E_NOTIMPL from its methods).
#pragma once

#include "com/Unknown.h"

#include <cstdint>

namespace hox {

struct ReplayPosition {
    com::VARIANT_BOOL replaying; // zero: the host serves no replay, the rest means nothing
    int64_t recordUs;            // arrival time of the current record, microseconds since 1970
    double percent;              // of the replay's files read
    com::VARIANT_BOOL paused;
    com::VARIANT_BOOL ended;
};

// {6D1C2A40-5B7E-4C1A-9E2F-0A1B2C3D4E41}
constexpr com::IID IID_IHoxReplay{
    0x6D1C2A40, 0x5B7E, 0x4C1A, {0x9E, 0x2F, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x41}};

class IHoxReplay : public com::IUnknown {
public:
    virtual com::HRESULT GetPosition(ReplayPosition* position) = 0;
    virtual com::HRESULT SetPaused(com::VARIANT_BOOL paused) = 0;
    // Goes on from the first record at or after the time (microseconds since 1970 UTC).
    virtual com::HRESULT JumpTo(int64_t recordUs) = 0;

protected:
    ~IHoxReplay() = default;
};

} // namespace hox

template <> struct com::InterfaceId<hox::IHoxReplay> {
    static constexpr const IID& value = hox::IID_IHoxReplay;
};
