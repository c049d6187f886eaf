#include "app/HOXCOMLibEvents.h"

#include "com/OleCheck.h"
#include "rtl/AnsiText.h"
#include "rtl/Exceptions.h"
#include "rtl/Format.h"

#include <algorithm>
#include <cstring>

THOXCOMLibEventsBaseSink::~THOXCOMLibEventsBaseSink() {
    Disconnect();
}

void THOXCOMLibEventsBaseSink::Connect(com::IUnknown* source) {
    if (!source) throw rtl::EAssertionFailed("Assertion failed (Level2/HOXCOMLibEvents, line 306)");
    Disconnect();
    try {
        com::ComPtr<com::IConnectionPointContainer> container;
        com::OleCheck(
            source->QueryInterface(com::IID_IConnectionPointContainer, container.PutVoid()));
        com::OleCheck(container->FindConnectionPoint(sinkIID_, connectionPoint_.Put()));
        // A server that answers success without an object must not make us call through null.
        if (!connectionPoint_) com::OleCheck(com::E_POINTER);
        com::OleCheck(connectionPoint_->Advise(static_cast<com::IDispatch*>(this), &cookie_));
        source_ = com::ComPtr<com::IUnknown>(source);
    } catch (const std::exception& e) {
        connectionPoint_.Reset();
        cookie_ = 0;
        throw rtl::EOleError(rtl::Format("Unable to connect %s.\r%s", {ClassName(), e.what()}));
    }
}

com::HRESULT THOXCOMLibEventsBaseSink::Disconnect() {
    if (!source_) return com::S_OK;
    // A failed Unadvise is no reason to keep either reference: the sink is disconnected on its
    // side whatever the server answered, and releasing cannot fail.
    const com::HRESULT hr = connectionPoint_->Unadvise(cookie_);
    connectionPoint_.Reset();
    source_.Reset();
    cookie_ = 0;
    return hr;
}

void THOXCOMLibEventsBaseSink::Free(THOXCOMLibEventsBaseSink* sink) {
    if (!sink) return;
    sink->Disconnect();
    sink->abandoned_ = true;
    sink->Release(); // the owner's reference
}

com::ULONG THOXCOMLibEventsBaseSink::AddRef() {
    ++references_;
    return 2;
}

com::ULONG THOXCOMLibEventsBaseSink::Release() {
    if (--references_ == 0) delete this;
    return 1;
}

com::HRESULT THOXCOMLibEventsBaseSink::QueryInterface(const com::IID& iid, void** object) {
    if (!object) return com::E_POINTER;
    if (iid == com::IID_IUnknown || iid == com::IID_IDispatch || iid == sinkIID_) {
        *object = static_cast<com::IDispatch*>(this);
        AddRef();
        return com::S_OK;
    }
    *object = nullptr;
    return com::E_NOINTERFACE;
}

com::HRESULT THOXCOMLibEventsBaseSink::GetIDsOfNames(const com::IID&, char16_t**, com::UINT,
                                                     com::LCID, com::DISPID*) {
    return com::E_NOTIMPL;
}

com::HRESULT THOXCOMLibEventsBaseSink::GetTypeInfo(com::UINT, com::LCID, void** typeInfo) {
    if (typeInfo) *typeInfo = nullptr;
    return com::E_NOTIMPL;
}

com::HRESULT THOXCOMLibEventsBaseSink::GetTypeInfoCount(com::UINT* count) {
    if (count) *count = 0;
    return com::E_NOTIMPL;
}

std::vector<int32_t> THOXCOMLibEventsBaseSink::BuildPositionalIds(const com::DISPPARAMS& params) {
    if (!params.rgvarg) return {};
    int32_t n = int32_t(params.cArgs);
    std::vector<int32_t> ids(params.cArgs);
    for (int32_t i = 0; i < n; ++i) ids[i] = n - 1 - i;
    if (params.rgdispidNamedArgs) {
        // Named arguments are the first cNamedArgs of rgvarg, so there cannot be more than n.
        int32_t named = int32_t(std::min(params.cNamedArgs, params.cArgs));
        for (int32_t j = 0; j < named; ++j) {
            com::DISPID id = params.rgdispidNamedArgs[j];
            if (id >= 0 && id < n) ids[id] = j;
        }
    }
    return ids;
}

com::HRESULT THOXCOMLibEventsBaseSink::Invoke(com::DISPID id, const com::IID& iid, com::LCID locale,
                                              com::WORD flags, com::DISPPARAMS* params,
                                              com::VARIANT* result, com::EXCEPINFO* exception,
                                              com::UINT* argError) {
    // Its owner is gone: the handlers may reach freed objects.
    if (abandoned_) return com::S_OK;
    com::HRESULT hr = com::S_OK;
    com::HRESULT guard = Guarded(exception, [&] {
        if (!(flags & com::DISPATCH_METHOD))
            throw rtl::EOleError(
                rtl::Format("%s only supports sinking of method calls!", {ClassName()}));
        com::DISPPARAMS none;
        com::DISPPARAMS& args = params ? *params : none;
        std::vector<int32_t> positions = BuildPositionalIds(args);
        hr = DoInvoke(id, iid, locale, flags, args, result, exception, argError, positions);
    });
    return com::FAILED(guard) ? guard : hr;
}

com::HRESULT THOXCOMLibEventsBaseSink::Guarded(com::EXCEPINFO* exception,
                                               const std::function<void()>& fn) const {
    com::HRESULT hr = com::S_OK;
    std::string text;
    try {
        fn();
        return com::S_OK;
    } catch (const rtl::EOleSysError& e) {
        hr = com::FAILED(e.ErrorCode) ? e.ErrorCode : com::E_UNEXPECTED;
        text = e.Message;
    } catch (const std::exception& e) {
        hr = com::E_UNEXPECTED;
        text = e.what();
    } catch (...) {
        hr = com::E_UNEXPECTED;
        text = com::SysErrorMessage(hr);
    }
    if (exception) { // an out parameter: the caller frees what we put there
        exception->wCode = 0;
        exception->bstrSource = com::SysAllocString(rtl::AnsiToWide(ClassName()));
        exception->bstrDescription = com::SysAllocString(rtl::AnsiToWide(text));
        exception->scode = hr;
    }
    return hr;
}

namespace {

// The argument's 32 bits as they lie in the variant, whatever its type says.
int32_t RawInt32(const com::VARIANT& v) {
    int32_t value;
    std::memcpy(&value, &v.lVal, sizeof value);
    return value;
}

} // namespace

com::HRESULT THOXCOMLibIHoxComMgrEvents::DoInvoke(com::DISPID id, const com::IID&, com::LCID,
                                                  com::WORD, com::DISPPARAMS& params, com::VARIANT*,
                                                  com::EXCEPINFO* exception, com::UINT*,
                                                  std::span<const int32_t> positions) {
    switch (id) {
    case hox::DISPID_HealthUpdate: {
        if (positions.size() < 2) return com::DISP_E_BADPARAMCOUNT;
        int32_t first = RawInt32(params.rgvarg[positions[0]]);
        int32_t second = RawInt32(params.rgvarg[positions[1]]);
        if (!OnHealthUpdate) return com::S_OK;
        return Guarded(exception, [&] { OnHealthUpdate(this, first, second); });
    }
    case hox::DISPID_ConnectionInfo: {
        if (positions.empty()) return com::DISP_E_BADPARAMCOUNT;
        if (!OnConnectionInfo) return com::S_OK;
        const com::VARIANT& arg = params.rgvarg[positions[0]];
        return Guarded(exception, [&] {
            // Only an interface argument may be read as a pointer.
            if (arg.vt != com::VT_UNKNOWN && arg.vt != com::VT_DISPATCH)
                com::OleCheck(com::DISP_E_TYPEMISMATCH);
            com::ComPtr<hox::IHoxConnectionInfo> info;
            if (arg.punkVal)
                com::OleCheck(
                    arg.punkVal->QueryInterface(hox::IID_IHoxConnectionInfo, info.PutVoid()));
            OnConnectionInfo(this, info.Get());
        });
    }
    case hox::DISPID_Connected:
        return OnConnected ? Guarded(exception, [&] { OnConnected(this); }) : com::S_OK;
    case hox::DISPID_Disconnected:
        return OnDisconnected ? Guarded(exception, [&] { OnDisconnected(this); }) : com::S_OK;
    case hox::DISPID_ShutDown:
        return OnShutDown ? Guarded(exception, [&] { OnShutDown(this); }) : com::S_OK;
    default:
        return com::DISP_E_MEMBERNOTFOUND;
    }
}
