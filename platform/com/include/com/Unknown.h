// The interface bases. Interfaces are abstract classes whose methods return HRESULT.
#pragma once

#include "com/Types.h"
#include "com/Variant.h"

namespace com {

class IConnectionPointContainer;

class IUnknown {
public:
    virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default; // objects die through Release or their owner, never through an interface
};

class IDispatch : public IUnknown {
public:
    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID locale, void** typeInfo) = 0;
    virtual HRESULT GetIDsOfNames(const IID& iid, char16_t** names, UINT count, LCID locale,
                                  DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID id, const IID& iid, LCID locale, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argError) = 0;

protected:
    ~IDispatch() = default;
};

class IConnectionPoint : public IUnknown {
public:
    virtual HRESULT GetConnectionInterface(IID* iid) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
    virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
    virtual HRESULT Unadvise(DWORD cookie) = 0;

protected:
    ~IConnectionPoint() = default;
};

class IConnectionPointContainer : public IUnknown {
public:
    virtual HRESULT FindConnectionPoint(const IID& iid, IConnectionPoint** point) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

template <class T> struct InterfaceId;
template <> struct InterfaceId<IUnknown> { static constexpr const IID& value = IID_IUnknown; };
template <> struct InterfaceId<IDispatch> { static constexpr const IID& value = IID_IDispatch; };
template <> struct InterfaceId<IConnectionPoint> {
    static constexpr const IID& value = IID_IConnectionPoint;
};
template <> struct InterfaceId<IConnectionPointContainer> {
    static constexpr const IID& value = IID_IConnectionPointContainer;
};

} // namespace com
