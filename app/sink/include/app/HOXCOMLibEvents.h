// The client's event sink on the host's manager: a small IDispatch object that advises itself
// on the manager's connection point and turns each incoming event into a call of the handler
// the window assigned. Its owner decides its lifetime, but frees it through TSinkFree: a server
// that refused Unadvise still holds the sink, which then lives on until that server lets go.
#pragma once

#include "HOXCOMLib_TLB.h"
#include "com/ComPtr.h"
#include "com/Unknown.h"

#include <atomic>
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
    // Unadvises; does nothing when not connected and never raises. Returns the connection
    // point's answer (S_OK when there was nothing to do). Whatever the answer, the sink counts
    // itself disconnected; after a failure the server may still hold it and call it.
    com::HRESULT Disconnect();
    // Disconnects and frees the sink; when a server still holds it (a refused Unadvise), the
    // sink stops calling its handlers and frees itself at that server's last Release.
    static void Free(THOXCOMLibEventsBaseSink* sink);

    // References that servers hold now: AddRef calls not yet matched by Release.
    int ServerReferences() const { return references_.load() - (abandoned_ ? 0 : 1); }

    uint32_t Cookie() const { return cookie_; }
    com::IConnectionPoint* ConnectionPoint() const { return connectionPoint_.Get(); }
    const com::IID& SinkIID() const { return sinkIID_; }
    com::IUnknown* Source() const { return source_.Get(); }

    com::HRESULT QueryInterface(const com::IID& iid, void** object) override;
    // The answers are fixed (2 and 1): the owner decides the sink's lifetime. Behind them the
    // sink counts its references, the owner's one included, so that after Free the last
    // server reference frees it.
    com::ULONG AddRef() override;
    com::ULONG Release() override;

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
    std::atomic<int> references_{1}; // the owner's, given back by Free
    // Freed by its owner while a server held it: answers events without calling a handler.
    std::atomic<bool> abandoned_{false};
    uint32_t cookie_ = 0;
    com::ComPtr<com::IConnectionPoint> connectionPoint_;
    com::IID sinkIID_;
    com::ComPtr<com::IUnknown> source_;
};

// Frees a sink through THOXCOMLibEventsBaseSink::Free, for std::unique_ptr.
struct TSinkFree {
    void operator()(THOXCOMLibEventsBaseSink* sink) const { THOXCOMLibEventsBaseSink::Free(sink); }
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
