// How the sink answers COM and turns Invoke into handler calls.
#include "app/HOXCOMLibEvents.h"

#include "com/Com.h"
#include "rtl/AnsiText.h"
#include "rtl/Exceptions.h"

#include <gtest/gtest.h>

namespace {

struct HealthCall {
    THOXCOMLibEventsBaseSink* sender;
    int32_t first, second;
};

class SinkDispatch : public ::testing::Test {
protected:
    void SetUp() override {
        sink.OnHealthUpdate = [this](THOXCOMLibEventsBaseSink* s, int32_t a, int32_t b) {
            health.push_back({s, a, b});
        };
    }

    // Arguments are given in declaration order and passed last first, as COM does.
    com::HRESULT Call(com::DISPID id, std::vector<com::VARIANT> args,
                      std::vector<com::DISPID> named = {}, com::WORD flags = com::DISPATCH_METHOD,
                      com::EXCEPINFO* exception = nullptr) {
        std::vector<com::VARIANT> reversed(args.rbegin(), args.rend());
        com::DISPPARAMS params;
        params.rgvarg = reversed.empty() ? nullptr : reversed.data();
        params.cArgs = com::UINT(reversed.size());
        params.rgdispidNamedArgs = named.empty() ? nullptr : named.data();
        params.cNamedArgs = com::UINT(named.size());
        return sink.Invoke(id, com::GUID_NULL, 0, flags, &params, nullptr, exception, nullptr);
    }

    THOXCOMLibIHoxComMgrEvents sink;
    std::vector<HealthCall> health;
};

// An object that answers the connection description, or only IUnknown.
class Info : public hox::IHoxConnectionInfo {
public:
    explicit Info(bool answers) : answers_(answers) {}
    com::HRESULT QueryInterface(const com::IID& iid, void** object) override {
        if (iid == com::IID_IUnknown || (answers_ && iid == hox::IID_IHoxConnectionInfo)) {
            *object = this;
            ++refs;
            return com::S_OK;
        }
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    com::ULONG AddRef() override { return ++refs; }
    com::ULONG Release() override { return --refs; }
    com::HRESULT GetServerName(com::BSTR* name) override {
        *name = com::SysAllocString(u"here");
        return com::S_OK;
    }
    int refs = 0;

private:
    bool answers_;
};

} // namespace

TEST_F(SinkDispatch, QueryInterfaceAnswersItselfOrNothing) {
    void* p = nullptr;
    com::IDispatch* self = &sink;
    for (const com::IID* iid :
         {&com::IID_IUnknown, &com::IID_IDispatch, &hox::DIID_IHoxComMgrEvents}) {
        EXPECT_EQ(sink.QueryInterface(*iid, &p), com::S_OK);
        EXPECT_EQ(p, self);
        p = nullptr;
    }
    EXPECT_EQ(sink.QueryInterface(com::IID_IConnectionPoint, &p), com::E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(sink.QueryInterface(com::IID_IUnknown, nullptr), com::E_POINTER);

    // Each answer is a reference the sink counts, so that it knows when no server holds it.
    EXPECT_EQ(sink.ServerReferences(), 3);
    for (int i = 0; i < 3; ++i) sink.Release();
    EXPECT_EQ(sink.ServerReferences(), 0);
}

TEST_F(SinkDispatch, PositionalTablePlacesNamedArgumentsOverTheLastFirstOrder) {
    com::VARIANT args[3];
    com::DISPID named[] = {2, 0};
    com::DISPPARAMS p{args, named, 3, 2};
    EXPECT_EQ(THOXCOMLibEventsBaseSink::BuildPositionalIds(p), (std::vector<int32_t>{1, 1, 0}));
    // More names than arguments: only the first cArgs names exist.
    com::DISPID many[] = {0, 1, 2, 0};
    p.rgdispidNamedArgs = many;
    p.cNamedArgs = 4;
    EXPECT_EQ(THOXCOMLibEventsBaseSink::BuildPositionalIds(p), (std::vector<int32_t>{0, 1, 2}));
}

TEST_F(SinkDispatch, HealthArgumentsByPositionAndByName) {
    EXPECT_EQ(Call(1, {com::MakeI4(0), com::MakeI4(3)}), com::S_OK);
    // Named against the positional order: rgvarg[0] (7) is the first argument.
    EXPECT_EQ(Call(1, {com::MakeI4(9), com::MakeI4(7)}, {0, 1}), com::S_OK);
    // Names outside the range are left out: positions decide.
    EXPECT_EQ(Call(1, {com::MakeI4(4), com::MakeI4(5)}, {6, -3}), com::S_OK);

    ASSERT_EQ(health.size(), 3u);
    EXPECT_EQ(health[0].sender, &sink);
    EXPECT_EQ(health[0].first, 0);
    EXPECT_EQ(health[0].second, 3);
    EXPECT_EQ(health[1].first, 7);
    EXPECT_EQ(health[1].second, 9);
    EXPECT_EQ(health[2].first, 4);
    EXPECT_EQ(health[2].second, 5);
    // Data is taken without conversion.
    com::VARIANT unsignedValue, trueValue;
    unsignedValue.vt = com::VT_UI4;
    unsignedValue.ulVal = 0xFFFFFFFEu;
    trueValue.vt = com::VT_BOOL;
    trueValue.boolVal = com::VARIANT_TRUE;
    EXPECT_EQ(Call(1, {unsignedValue, trueValue}), com::S_OK);
    ASSERT_EQ(health.size(), 4u);
    EXPECT_EQ(health[3].first, -2);
    EXPECT_EQ(health[3].second, 0xFFFF); // the 16-bit true, upper half clear
}

TEST_F(SinkDispatch, TooFewArgumentsFailWithoutCallingOrReading) {
    EXPECT_EQ(Call(1, {com::MakeI4(1)}), com::DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(1, {}), com::DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(
        sink.Invoke(1, com::GUID_NULL, 0, com::DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
        com::DISP_E_BADPARAMCOUNT);
    bool called = false;
    sink.OnConnectionInfo = [&](THOXCOMLibEventsBaseSink*, hox::IHoxConnectionInfo*) {
        called = true;
    };
    EXPECT_EQ(Call(2, {}), com::DISP_E_BADPARAMCOUNT);
    // A count that claims arguments without any storage reads nothing.
    com::DISPPARAMS hollow{nullptr, nullptr, 2, 0};
    EXPECT_EQ(
        sink.Invoke(1, com::GUID_NULL, 0, com::DISPATCH_METHOD, &hollow, nullptr, nullptr, nullptr),
        com::DISP_E_BADPARAMCOUNT);
    EXPECT_TRUE(health.empty());
    EXPECT_FALSE(called);
}

// Property access and handler errors fail with their code and describe themselves.
TEST_F(SinkDispatch, OnlyMethodCallsAreSunkAndHandlerErrorsBecomeFailureCodes) {
    com::EXCEPINFO info;
    com::HRESULT hr =
        Call(1, {com::MakeI4(0), com::MakeI4(1)}, {}, com::DISPATCH_PROPERTYGET, &info);
    EXPECT_TRUE(com::FAILED(hr));
    EXPECT_TRUE(health.empty());
    EXPECT_EQ(info.scode, hr);
    EXPECT_EQ(rtl::WideToAnsi(com::BstrView(info.bstrDescription)),
              "THOXCOMLibIHoxComMgrEvents only supports sinking of method calls!");
    EXPECT_EQ(rtl::WideToAnsi(com::BstrView(info.bstrSource)), "THOXCOMLibIHoxComMgrEvents");
    com::SysFreeString(info.bstrDescription);
    com::SysFreeString(info.bstrSource);
    EXPECT_EQ(Call(1, {com::MakeI4(0), com::MakeI4(1)}, {},
                   com::DISPATCH_METHOD | com::DISPATCH_PROPERTYGET),
              com::S_OK);

    sink.OnConnected = [](THOXCOMLibEventsBaseSink*) {
        throw rtl::EOleSysError("Access is denied", com::E_ACCESSDENIED);
    };
    EXPECT_EQ(Call(3, {}), com::E_ACCESSDENIED);
    sink.OnHealthUpdate = [](THOXCOMLibEventsBaseSink*, int32_t, int32_t) {
        throw rtl::EConvertError("'x' is not a valid integer value");
    };
    EXPECT_EQ(Call(1, {com::MakeI4(0), com::MakeI4(1)}, {}, com::DISPATCH_METHOD, &info),
              com::E_UNEXPECTED);
    EXPECT_EQ(rtl::WideToAnsi(com::BstrView(info.bstrDescription)),
              "'x' is not a valid integer value");
    com::SysFreeString(info.bstrDescription);
    com::SysFreeString(info.bstrSource);
}

TEST_F(SinkDispatch, UnknownIdsAndEmptySlots) {
    EXPECT_EQ(Call(0, {}), com::DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(6, {}), com::DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(4, {}), com::S_OK);
    sink.OnHealthUpdate = nullptr;
    EXPECT_EQ(Call(1, {com::MakeI4(0), com::MakeI4(1)}), com::S_OK);

    std::vector<int> seen;
    sink.OnConnected = [&](THOXCOMLibEventsBaseSink* s) { seen.push_back(s == &sink ? 3 : -3); };
    sink.OnDisconnected = [&](THOXCOMLibEventsBaseSink* s) { seen.push_back(s == &sink ? 4 : -4); };
    sink.OnShutDown = [&](THOXCOMLibEventsBaseSink* s) { seen.push_back(s == &sink ? 5 : -5); };
    for (com::DISPID id : {5, 3, 4}) EXPECT_EQ(Call(id, {}), com::S_OK);
    EXPECT_EQ(seen, (std::vector<int>{5, 3, 4}));
}

TEST_F(SinkDispatch, ConnectionInfoArrivesAsItsInterface) {
    hox::IHoxConnectionInfo* got = nullptr;
    int calls = 0;
    sink.OnConnectionInfo = [&](THOXCOMLibEventsBaseSink*, hox::IHoxConnectionInfo* info) {
        got = info;
        ++calls;
    };
    Info info(true);
    com::VARIANT arg = com::MakeUnknown(&info);
    EXPECT_EQ(Call(2, {arg}), com::S_OK);
    EXPECT_EQ(got, &info);
    com::VariantClear(arg);
    EXPECT_EQ(info.refs, 0); // the sink let go of what it asked for

    Info mute(false);
    arg = com::MakeUnknown(&mute);
    EXPECT_EQ(Call(2, {arg}), com::E_NOINTERFACE);
    com::VariantClear(arg);
    // A number where an interface belongs is never followed as a pointer.
    EXPECT_EQ(Call(2, {com::MakeI4(0x1234)}), com::DISP_E_TYPEMISMATCH);
    EXPECT_EQ(Call(2, {com::MakeUnknown(nullptr)}), com::S_OK);
    EXPECT_EQ(got, nullptr);
    EXPECT_EQ(calls, 2);
}
