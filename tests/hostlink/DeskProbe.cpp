// A desk without a window for the process tests: creates the manager through the proxies,
// advises a sink, subscribes a symbol's quotes, logs on, and prints one line per record
// ("quote TICK BID") and per event ("event DISPID ARGS..."). Runs until it is killed or its
// standard input closes. Arguments after the symbol go to a host it starts.
//   hoxdesk_probe SOCKET HOSTPROGRAM SYMBOL [HOST ARGUMENTS...]
#include "HOXCOMLib_TLB.h"
#include "com/Com.h"
#include "hostlink/HostProxy.h"

#include <poll.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>

namespace {

class PrintingNotify : public hox::IHoxQuotesNotify {
public:
    com::HRESULT QueryInterface(const com::IID&, void** object) override {
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    com::ULONG AddRef() override { return 1; }
    com::ULONG Release() override { return 1; }
    com::HRESULT OnQuoteData(hox::QuoteRecord* r) override {
        std::printf("quote %u %.5f\n", r->tick, r->dBid);
        std::fflush(stdout);
        return com::S_OK;
    }
    com::HRESULT OnLevel2Data(hox::Level2Record*) override { return com::S_OK; }
    com::HRESULT OnTSData(hox::TSRecord*) override { return com::S_OK; }
    com::HRESULT OnOptionsData(hox::OptionsRecord*) override { return com::S_OK; }
};

class PrintingSink : public com::IDispatch {
public:
    com::HRESULT QueryInterface(const com::IID& iid, void** object) override {
        *object = iid == hox::DIID_IHoxComMgrEvents ? this : nullptr;
        return *object ? com::S_OK : com::E_NOINTERFACE;
    }
    com::ULONG AddRef() override { return 1; }
    com::ULONG Release() override { return 1; }
    com::HRESULT GetTypeInfoCount(com::UINT*) override { return com::E_NOTIMPL; }
    com::HRESULT GetTypeInfo(com::UINT, com::LCID, void**) override { return com::E_NOTIMPL; }
    com::HRESULT GetIDsOfNames(const com::IID&, char16_t**, com::UINT, com::LCID,
                               com::DISPID*) override {
        return com::E_NOTIMPL;
    }
    com::HRESULT Invoke(com::DISPID id, const com::IID&, com::LCID, com::WORD,
                        com::DISPPARAMS* params, com::VARIANT*, com::EXCEPINFO*,
                        com::UINT*) override {
        std::printf("event %d", id);
        for (com::UINT i = params->cArgs; i-- > 0;)
            if (params->rgvarg[i].vt == com::VT_I4) std::printf(" %d", params->rgvarg[i].lVal);
        std::printf("\n");
        std::fflush(stdout);
        return com::S_OK;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: hoxdesk_probe SOCKET HOSTPROGRAM SYMBOL [HOST ARGUMENTS...]\n");
        return 2;
    }
    std::mutex lock;
    std::deque<com::ApartmentCall> calls;
    com::TApartment apartment([&](com::ApartmentCall call) {
        std::lock_guard guard(lock);
        calls.push_back(std::move(call));
    });
    hostlink::ProxyOptions options;
    options.SocketPath = argv[1];
    options.HostProgram = argv[2];
    options.HostArguments.assign(argv + 4, argv + argc);
    hostlink::RegisterHostProxy(options);
    PrintingNotify notify;
    PrintingSink sink;
    {
        com::ComPtr<hox::IHoxComMgr> manager;
        com::ComPtr<hox::IHoxQuotes> quotes;
        const std::u16string symbol(argv[3], argv[3] + std::string(argv[3]).size());
        com::Bstr wide(symbol);
        com::HRESULT hr = com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                                                hox::IID_IHoxComMgr, manager.PutVoid());
        com::ComPtr<com::IConnectionPointContainer> container;
        com::ComPtr<com::IConnectionPoint> point;
        com::DWORD cookie = 0;
        if (com::SUCCEEDED(hr)) hr = manager.As(container);
        if (com::SUCCEEDED(hr))
            hr = container->FindConnectionPoint(hox::DIID_IHoxComMgrEvents, point.Put());
        if (com::SUCCEEDED(hr)) hr = point->Advise(&sink, &cookie);
        if (com::SUCCEEDED(hr)) hr = manager->GetQuotes(quotes.Put());
        if (com::SUCCEEDED(hr)) hr = quotes->Subscribe(&notify, wide.get(), 2);
        com::Bstr user(u"probe"), password(u"secret");
        com::VARIANT_BOOL loggedOn = 0;
        if (com::SUCCEEDED(hr)) hr = manager->Logon(1234, user.get(), password.get(), 0, &loggedOn);
        if (com::FAILED(hr)) {
            std::fprintf(stderr, "hoxdesk_probe: failed with 0x%08X\n", unsigned(hr));
            return 1;
        }
        std::printf("subscribed\n");
        std::fflush(stdout);
        for (;;) {
            pollfd in{0, POLLIN, 0};
            if (poll(&in, 1, 5) > 0) break; // input or its end: time to go
            std::deque<com::ApartmentCall> ready;
            {
                std::lock_guard guard(lock);
                ready.swap(calls);
            }
            for (auto& call : ready) call();
        }
        quotes->Unsubscribe(&notify);
    }
    hostlink::RevokeHostProxy();
    return 0;
}
