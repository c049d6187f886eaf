#include "OrderClient.h"

#include "HostProcess.h"
#include "rtl/NumberText.h"

namespace hostsim {

com::ComPtr<hox::IHoxOrderClient> OrderClient::Create() {
    return com::ComPtr<hox::IHoxOrderClient>(new OrderClient, false);
}

com::HRESULT OrderClient::QueryInterface(const com::IID& iid, void** object) {
    if (!object) return com::E_POINTER;
    *object = nullptr;
    if (iid == com::IID_IUnknown || iid == com::IID_IDispatch || iid == hox::IID_IHoxOrderClient)
        return com::AnswerInterface<hox::IHoxOrderClient>(this, object);
    return com::E_NOINTERFACE;
}

com::HRESULT OrderClient::SetOrderClientFlag(int32_t flag) {
    com::HRESULT hr = HostProcess::Get().Enter("SetOrderClientFlag",
                                               "SetOrderClientFlag(" + rtl::IntToStr(flag) + ")");
    return com::FAILED(hr) ? hr : com::S_OK;
}

} // namespace hostsim
