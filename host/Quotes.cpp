#include "Quotes.h"

#include "HostProcess.h"
#include "Session.h"
#include "rtl/AnsiText.h"
#include "rtl/NumberText.h"

namespace hostsim {

com::ComPtr<hox::IHoxQuotes> Quotes::Create(std::shared_ptr<Session> session) {
    return com::ComPtr<hox::IHoxQuotes>(new Quotes(std::move(session)), false);
}

// A quote object that goes away takes its subscriptions with it.
Quotes::~Quotes() {
    session_->Unsubscribe(this, nullptr);
}

com::HRESULT Quotes::QueryInterface(const com::IID& iid, void** object) {
    if (!object) return com::E_POINTER;
    *object = nullptr;
    if (iid == com::IID_IUnknown || iid == com::IID_IDispatch || iid == hox::IID_IHoxQuotes)
        return com::AnswerInterface<hox::IHoxQuotes>(this, object);
    return com::E_NOINTERFACE;
}

com::HRESULT Quotes::Subscribe(hox::IHoxQuotesNotify* notify, com::BSTR symbol, int32_t kind) {
    std::u16string_view text = com::BstrView(symbol);
    com::HRESULT hr = HostProcess::Get().Enter("Subscribe", "Subscribe(" + rtl::WideToAnsi(text) +
                                                                "," + rtl::IntToStr(kind) + ")");
    if (com::FAILED(hr)) return hr;
    return session_->Subscribe(this, notify, text, kind);
}

com::HRESULT Quotes::Unsubscribe(hox::IHoxQuotesNotify* notify) {
    com::HRESULT hr = HostProcess::Get().Enter("Unsubscribe", "Unsubscribe");
    if (com::FAILED(hr)) return hr;
    if (!notify) return com::E_POINTER;
    session_->Unsubscribe(this, notify);
    return com::S_OK;
}

} // namespace hostsim
