// What the host's tests share: a client-side notify object that keeps what it received, a
// dispatch sink that keeps the events, and a fixture that creates a manager with a quiet feed.
#pragma once

#include "HOXCOMLib_TLB.h"
#include "com/Com.h"
#include "host/HostControl.h"
#include "host/SimulatedHost.h"

#include "../fixtures/QueuedApartment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hosttest {

struct ReceivedQuote {
    std::u16string symbol, market, company, underlier;
    hox::QuoteRecord values;
};

struct ReceivedLevel2 {
    std::u16string symbol, mmid, source;
    hox::Level2Record values;
};

class RecordingNotify : public hox::IHoxQuotesNotify {
public:
    com::HRESULT QueryInterface(const com::IID& iid, void** object) override {
        if (iid == com::IID_IUnknown || iid == hox::IID_IHoxQuotesNotify) {
            *object = this;
            AddRef();
            return com::S_OK;
        }
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    com::ULONG AddRef() override { return ++refs; }
    com::ULONG Release() override { return --refs; }
    com::HRESULT OnQuoteData(hox::QuoteRecord* r) override {
        quotes.push_back({std::u16string(com::BstrView(r->bstrSymbol)),
                          std::u16string(com::BstrView(r->bstrMarket)),
                          std::u16string(com::BstrView(r->bstrCompany)),
                          std::u16string(com::BstrView(r->bstrUnderlier)), *r});
        return com::S_OK;
    }
    com::HRESULT OnLevel2Data(hox::Level2Record* r) override {
        level2.push_back({std::u16string(com::BstrView(r->bstrSymbol)),
                          std::u16string(com::BstrView(r->bstrMMID)),
                          std::u16string(com::BstrView(r->bstrSource)), *r});
        return com::S_OK;
    }
    com::HRESULT OnTSData(hox::TSRecord*) override { return com::S_OK; }
    com::HRESULT OnOptionsData(hox::OptionsRecord*) override { return com::S_OK; }

    int refs = 0;
    std::vector<ReceivedQuote> quotes;
    std::vector<ReceivedLevel2> level2;
};

struct ReceivedEvent {
    com::DISPID id;
    std::vector<int32_t> ints; // in declaration order
    std::u16string serverName; // event 2
};

// Answers the events' dispatch interface only when answerEvents is set.
class RecordingSink : public com::IDispatch {
public:
    com::HRESULT QueryInterface(const com::IID& iid, void** object) override {
        if (iid == com::IID_IUnknown || iid == com::IID_IDispatch ||
            (answerEvents && iid == hox::DIID_IHoxComMgrEvents)) {
            *object = static_cast<com::IDispatch*>(this);
            AddRef();
            return com::S_OK;
        }
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    com::ULONG AddRef() override { return ++refs; }
    com::ULONG Release() override { return --refs; }
    com::HRESULT GetTypeInfoCount(com::UINT*) override { return com::E_NOTIMPL; }
    com::HRESULT GetTypeInfo(com::UINT, com::LCID, void**) override { return com::E_NOTIMPL; }
    com::HRESULT GetIDsOfNames(const com::IID&, char16_t**, com::UINT, com::LCID,
                               com::DISPID*) override {
        return com::E_NOTIMPL;
    }
    com::HRESULT Invoke(com::DISPID id, const com::IID&, com::LCID, com::WORD flags,
                        com::DISPPARAMS* params, com::VARIANT*, com::EXCEPINFO*,
                        com::UINT*) override;

    bool answerEvents = true;
    int refs = 0;
    std::vector<ReceivedEvent> events;
};

class HostTest : public ::testing::Test {
protected:
    static constexpr double Clock = 46000.5; // 2025-12-09 12:00 UTC

    void SetUp() override;
    void TearDown() override;

    static com::ComPtr<hox::IHoxComMgr> CreateManager();
    com::ComPtr<hox::IHoxQuotes> NewQuotes();
    static void Subscribe(hox::IHoxQuotes* quotes, hox::IHoxQuotesNotify* notify,
                          std::u16string_view symbol, int32_t kind);
    // A new quote object of the manager with the one subscription.
    com::ComPtr<hox::IHoxQuotes> Subscribed(hox::IHoxQuotesNotify& notify,
                                            std::u16string_view symbol, int32_t kind);
    // The answer of Logon, and of GetLoggedOn after it.
    com::VARIANT_BOOL Logon(std::u16string_view user, std::u16string_view password,
                            int32_t client = 1);
    com::VARIANT_BOOL LoggedOn();

    testing_support::QueuedApartment apartment; // first: the manager calls back into it
    com::ComPtr<hox::IHoxComMgr> manager;
};

// The manager's connection point for its events.
class HostEventsTest : public HostTest {
protected:
    void SetUp() override;
    void TearDown() override;

    com::ComPtr<com::IConnectionPointContainer> container;
    com::ComPtr<com::IConnectionPoint> point;
};

} // namespace hosttest
