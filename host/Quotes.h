// A quote object: subscriptions of notify objects to symbols. Each GetQuotes makes a new one;
// Unsubscribe ends only the subscriptions made through the same object.
#pragma once

#include "HOXQUOTELib_TLB.h"
#include "com/ComObject.h"
#include "com/ComPtr.h"

#include <memory>

namespace hostsim {

class Session;

class Quotes final : public com::DispatchObject<hox::IHoxQuotes> {
public:
    static com::ComPtr<hox::IHoxQuotes> Create(std::shared_ptr<Session> session);

    com::HRESULT QueryInterface(const com::IID& iid, void** object) override;
    com::HRESULT Subscribe(hox::IHoxQuotesNotify* notify, com::BSTR symbol, int32_t kind) override;
    com::HRESULT Unsubscribe(hox::IHoxQuotesNotify* notify) override;

private:
    explicit Quotes(std::shared_ptr<Session> session) : session_(std::move(session)) {}
    ~Quotes() override;

    std::shared_ptr<Session> session_;
};

} // namespace hostsim
