// The client's event sink on the host's manager: a small IDispatch object that advises itself
// on the manager's connection point and turns each incoming event into a call of the handler
// the window assigned. Not reference counted: its owner frees it, which disconnects it.
#pragma once

#include "HOXCOMLib_TLB.h"
#include "com/ComPtr.h"
#include "com/Unknown.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

// The COM side of a sink for any outgoing dispatch interface.
class THOXCOMLibEventsBaseSink : public com::IDispatch {
public:
    virtual ~THOXCOMLibEventsBaseSink();
    THOXCOMLibEventsBaseSink(const THOXCOMLibEventsBaseSink&) = delete;
    THOXCOMLibEventsBaseSink& operator=(const THOXCOMLibEventsBaseSink&) = delete;

    // Advises on source's connection point for SinkIID; disconnects first. A null source is a
    // failed assertion; any other failure raises "Unable to connect <class>.\r<reason>" and
    // leaves the sink disconnected.
    void Connect(com::IUnknown* source);
    // Unadvises; does nothing when not connected and never raises.
    void Disconnect();

    uint32_t Cookie() const { return cookie_; }
    com::IConnectionPoint* ConnectionPoint() const { return connectionPoint_.Get(); }
    const com::IID& SinkIID() const { return sinkIID_; }
    com::IUnknown* Source() const { return source_.Get(); }

    com::HRESULT QueryInterface(const com::IID& iid, void** object) override;
    // Counting does nothing: the owner decides the sink's lifetime.
    com::ULONG AddRef() override { return 2; }
    com::ULONG Release() override { return 1; }

    com::HRESULT GetIDsOfNames(const com::IID& iid, char16_t** names, com::UINT count,
                               com::LCID locale, com::DISPID* ids) override;
    com::HRESULT GetTypeInfo(com::UINT index, com::LCID locale, void** typeInfo) override;
    com::HRESULT GetTypeInfoCount(com::UINT* count) override;
    // Method calls only; maps the arguments to positions and hands them to DoInvoke. Never
    // raises: an error becomes a failure code, its text goes to exception when given.
    com::HRESULT Invoke(com::DISPID id, const com::IID& iid, com::LCID locale, com::WORD flags,
                        com::DISPPARAMS* params, com::VARIANT* result, com::EXCEPINFO* exception,
                        com::UINT* argError) override;

    // Entry i names the index in rgvarg of the i-th argument in declaration order: arguments
    // arrive last first, and named arguments go where their dispatch id says. Named ids
    // outside 0..n-1 are left out.
    static std::vector<int32_t> BuildPositionalIds(const com::DISPPARAMS& params);

protected:
    explicit THOXCOMLibEventsBaseSink(const com::IID& sinkIID) : sinkIID_(sinkIID) {}

    // positions comes from BuildPositionalIds; every entry is a valid index into rgvarg.
    virtual com::HRESULT DoInvoke(com::DISPID id, const com::IID& iid, com::LCID locale,
                                  com::WORD flags, com::DISPPARAMS& params, com::VARIANT* result,
                                  com::EXCEPINFO* exception, com::UINT* argError,
                                  std::span<const int32_t> positions) = 0;
    // The name used in the sink's messages.
    virtual std::string ClassName() const { return "THOXCOMLibEventsBaseSink"; }

    // Runs fn and turns an error into a failure code: an OLE error keeps its code, any other
    // error is E_UNEXPECTED. The text goes to exception when the caller gave one.
    com::HRESULT Guarded(com::EXCEPINFO* exception, const std::function<void()>& fn) const;

private:
    uint32_t cookie_ = 0;
    com::ComPtr<com::IConnectionPoint> connectionPoint_;
    com::IID sinkIID_;
    com::ComPtr<com::IUnknown> source_;
};

// The sink of the manager's events.
class THOXCOMLibIHoxComMgrEvents : public THOXCOMLibEventsBaseSink {
public:
    THOXCOMLibIHoxComMgrEvents() : THOXCOMLibEventsBaseSink(hox::DIID_IHoxComMgrEvents) {}
    ~THOXCOMLibIHoxComMgrEvents() override = default;

    // Event 1, the host's health: (selector, state).
    std::function<void(THOXCOMLibEventsBaseSink* sender, int32_t first, int32_t second)>
        OnHealthUpdate;
    // Event 2: the host's connection description (valid during the call only).
    std::function<void(THOXCOMLibEventsBaseSink* sender, hox::IHoxConnectionInfo* info)>
        OnConnectionInfo;
    // Events 3, 4 and 5.
    std::function<void(THOXCOMLibEventsBaseSink* sender)> OnConnected;
    std::function<void(THOXCOMLibEventsBaseSink* sender)> OnDisconnected;
    std::function<void(THOXCOMLibEventsBaseSink* sender)> OnShutDown;

protected:
    com::HRESULT DoInvoke(com::DISPID id, const com::IID& iid, com::LCID locale, com::WORD flags,
                          com::DISPPARAMS& params, com::VARIANT* result, com::EXCEPINFO* exception,
                          com::UINT* argError, std::span<const int32_t> positions) override;
    std::string ClassName() const override { return "THOXCOMLibIHoxComMgrEvents"; }
};
