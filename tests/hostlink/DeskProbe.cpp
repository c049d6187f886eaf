// A desk without a window for the process tests: creates the manager through the proxies,
// subscribes a symbol's quotes and prints one line per record: "quote TICK BID". Runs until it
// is killed or its standard input closes. Arguments after the symbol go to a host it starts.
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
    {
        com::ComPtr<hox::IHoxComMgr> manager;
        com::ComPtr<hox::IHoxQuotes> quotes;
        const std::u16string symbol(argv[3], argv[3] + std::string(argv[3]).size());
        com::Bstr wide(symbol);
        com::HRESULT hr = com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                                                hox::IID_IHoxComMgr, manager.PutVoid());
        if (com::SUCCEEDED(hr)) hr = manager->GetQuotes(quotes.Put());
        if (com::SUCCEEDED(hr)) hr = quotes->Subscribe(&notify, wide.get(), 2);
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
