#include "HostTestSupport.h"

namespace hosttest {

com::HRESULT RecordingSink::Invoke(com::DISPID id, const com::IID&, com::LCID, com::WORD flags,
                                   com::DISPPARAMS* params, com::VARIANT*, com::EXCEPINFO*,
                                   com::UINT*) {
    EXPECT_EQ(flags, com::DISPATCH_METHOD);
    ReceivedEvent event{id, {}, {}};
    for (com::UINT i = params->cArgs; i-- > 0;) {
        const com::VARIANT& v = params->rgvarg[i];
        if (v.vt == com::VT_I4) event.ints.push_back(v.lVal);
        if (v.vt == com::VT_UNKNOWN) {
            com::ComPtr<hox::IHoxConnectionInfo> info;
            EXPECT_EQ(v.punkVal->QueryInterface(hox::IID_IHoxConnectionInfo, info.PutVoid()),
                      com::S_OK);
            com::BSTR name = nullptr;
            EXPECT_EQ(info->GetServerName(&name), com::S_OK);
            event.serverName = com::BstrView(name);
            com::SysFreeString(name);
        }
    }
    events.push_back(std::move(event));
    return com::S_OK;
}

void HostTest::SetUp() {
    hostsim::HostOptions options;
    options.Seed = 7;
    options.RecordsPerSecond = 0;
    options.HealthIntervalMs = 0;
    options.Clock = [] { return Clock; };
    hostsim::RegisterSimulatedHost(options);
    apartment.RunPosted();
    manager = CreateManager();
    hostsim::HostControl::ClearCallLog();
}

void HostTest::TearDown() {
    manager.Reset();
    apartment.RunPosted();
    hostsim::RevokeSimulatedHost();
}

com::ComPtr<hox::IHoxComMgr> HostTest::CreateManager() {
    com::ComPtr<hox::IHoxComMgr> m;
    EXPECT_EQ(com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                                    hox::IID_IHoxComMgr, m.PutVoid()),
              com::S_OK);
    return m;
}

com::ComPtr<hox::IHoxQuotes> HostTest::NewQuotes() {
    com::ComPtr<hox::IHoxQuotes> q;
    EXPECT_EQ(manager->GetQuotes(q.Put()), com::S_OK);
    return q;
}

void HostTest::Subscribe(hox::IHoxQuotes* quotes, hox::IHoxQuotesNotify* notify,
                         std::u16string_view symbol, int32_t kind) {
    com::Bstr s(symbol);
    ASSERT_EQ(quotes->Subscribe(notify, s.get(), kind), com::S_OK);
}

com::ComPtr<hox::IHoxQuotes> HostTest::Subscribed(hox::IHoxQuotesNotify& notify,
                                                  std::u16string_view symbol, int32_t kind) {
    auto quotes = NewQuotes();
    Subscribe(quotes.Get(), &notify, symbol, kind);
    return quotes;
}

com::VARIANT_BOOL HostTest::Logon(std::u16string_view user, std::u16string_view password,
                                  int32_t client) {
    com::Bstr u(user), p = password.empty() ? com::Bstr() : com::Bstr(password); // null BSTR
    com::VARIANT_BOOL accepted = -1;
    EXPECT_EQ(manager->Logon(client, u.get(), p.get(), 0, &accepted), com::S_OK);
    return accepted;
}

com::VARIANT_BOOL HostTest::LoggedOn() {
    com::VARIANT_BOOL on = -1;
    EXPECT_EQ(manager->GetLoggedOn(&on), com::S_OK);
    return on;
}

void HostEventsTest::SetUp() {
    HostTest::SetUp();
    ASSERT_EQ(manager.As(container), com::S_OK);
    ASSERT_EQ(container->FindConnectionPoint(hox::DIID_IHoxComMgrEvents, point.Put()), com::S_OK);
}

void HostEventsTest::TearDown() {
    point.Reset();
    container.Reset();
    HostTest::TearDown();
}

} // namespace hosttest
