// Connecting the sink to the simulated host's manager, and the messages when that fails.
#include "app/HOXCOMLibEvents.h"

#include "com/Com.h"
#include "host/HostControl.h"
#include "host/SimulatedHost.h"
#include "rtl/Exceptions.h"

#include "../fixtures/QueuedApartment.h"

#include <gtest/gtest.h>

using hostsim::HostControl;

namespace {

class SinkConnect : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::HostOptions options;
        options.RecordsPerSecond = 0;
        options.HealthIntervalMs = 0;
        hostsim::RegisterSimulatedHost(options);
        ASSERT_EQ(com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                                        hox::IID_IHoxComMgr, manager.PutVoid()),
                  com::S_OK);
        HostControl::ClearCallLog();
        sink.OnHealthUpdate = [this](THOXCOMLibEventsBaseSink*, int32_t a, int32_t b) {
            health.emplace_back(a, b);
        };
    }
    void TearDown() override {
        sink.Disconnect();
        manager.Reset();
        apartment.RunPosted();
        hostsim::RevokeSimulatedHost();
    }

    std::string ConnectError(com::IUnknown* source) {
        try {
            sink.Connect(source);
        } catch (const rtl::EOleError& e) {
            return e.Message;
        }
        return "connected";
    }

    testing_support::QueuedApartment apartment;
    com::ComPtr<hox::IHoxComMgr> manager;
    THOXCOMLibIHoxComMgrEvents sink;
    std::vector<std::pair<int32_t, int32_t>> health;
};

} // namespace

TEST_F(SinkConnect, ConnectedSinkReceivesTheHostsEventsUntilDisconnected) {
    sink.Connect(manager.Get());
    EXPECT_EQ(sink.Source(), static_cast<com::IUnknown*>(manager.Get()));
    EXPECT_NE(sink.ConnectionPoint(), nullptr);
    EXPECT_NE(sink.Cookie(), 0u);
    EXPECT_EQ(HostControl::CallLog(), (std::vector<std::string>{"FindConnectionPoint", "Advise"}));

    HostControl::FireHealth(0, 3);
    apartment.RunPosted();
    EXPECT_EQ(health, (std::vector<std::pair<int32_t, int32_t>>{{0, 3}}));

    sink.Disconnect();
    EXPECT_EQ(sink.Source(), nullptr);
    EXPECT_EQ(sink.ConnectionPoint(), nullptr);
    sink.Disconnect(); // already disconnected: no second Unadvise
    EXPECT_EQ(HostControl::CallLog().back(), "Unadvise");
    EXPECT_EQ(HostControl::CallLog().size(), 3u);

    HostControl::FireHealth(0, 2);
    apartment.RunPosted();
    EXPECT_EQ(health.size(), 1u);
}

TEST_F(SinkConnect, ConnectingAgainOrDestroyingTheSinkDisconnectsFirst) {
    {
        THOXCOMLibIHoxComMgrEvents scoped;
        scoped.Connect(manager.Get());
    }
    EXPECT_EQ(HostControl::CallLog().back(), "Unadvise");
    HostControl::ClearCallLog();
    sink.Connect(manager.Get());
    sink.Connect(manager.Get());
    EXPECT_EQ(HostControl::CallLog(),
              (std::vector<std::string>{"FindConnectionPoint", "Advise", "Unadvise",
                                        "FindConnectionPoint", "Advise"}));
    HostControl::FireHealth(0, 1);
    apartment.RunPosted();
    EXPECT_EQ(health.size(), 1u); // one registration, one call
}

TEST_F(SinkConnect, FailuresNameTheSinkAndTheReason) {
    // A missing source is a failed assertion that reaches no host.
    try {
        sink.Connect(nullptr);
        FAIL() << "no assertion";
    } catch (const rtl::EAssertionFailed& e) {
        EXPECT_NE(e.Message.find("Level2/HOXCOMLibEvents, line 306"), std::string::npos);
    }
    EXPECT_TRUE(HostControl::CallLog().empty());

    HostControl::FailCall("Advise", com::CONNECT_E_ADVISELIMIT);
    EXPECT_EQ(ConnectError(manager.Get()),
              "Unable to connect THOXCOMLibIHoxComMgrEvents.\r"
              "The connection point has reached its limit of connections");
    EXPECT_EQ(sink.Source(), nullptr);
    EXPECT_EQ(sink.ConnectionPoint(), nullptr);

    HostControl::ClearFailures();
    HostControl::FailCall("FindConnectionPoint", com::E_FAIL);
    EXPECT_EQ(ConnectError(manager.Get()),
              "Unable to connect THOXCOMLibIHoxComMgrEvents.\rUnspecified error");

    // An object without connection points.
    com::ComPtr<hox::IHoxOrderClient> orders;
    HostControl::ClearFailures();
    ASSERT_EQ(manager->GetOrderClient(orders.Put()), com::S_OK);
    EXPECT_EQ(ConnectError(orders.Get()),
              "Unable to connect THOXCOMLibIHoxComMgrEvents.\rNo such interface supported");
    EXPECT_EQ(sink.Source(), nullptr);

    // After the failures the sink still connects normally.
    EXPECT_EQ(ConnectError(manager.Get()), "connected");
}

// A host that refuses Unadvise keeps calling the sink: Disconnect reports the refusal, and a
// sink freed meanwhile lives on, deaf, until the host lets go of it.
TEST_F(SinkConnect, ARefusedUnadviseIsReportedAndTheHostsSinkOutlivesItsOwner) {
    struct Counted : THOXCOMLibIHoxComMgrEvents {
        explicit Counted(bool* gone) : gone_(gone) {}
        ~Counted() override { *gone_ = true; }
        bool* gone_;
    };
    bool gone = false;
    int calls = 0;
    auto* owned = new Counted(&gone);
    owned->OnHealthUpdate = [&](THOXCOMLibEventsBaseSink*, int32_t, int32_t) { ++calls; };
    owned->Connect(manager.Get());
    EXPECT_EQ(owned->ServerReferences(), 1);

    HostControl::FailCall("Unadvise", com::E_FAIL);
    EXPECT_EQ(owned->Disconnect(), com::E_FAIL);
    EXPECT_EQ(owned->Source(), nullptr); // disconnected on the sink's side all the same
    EXPECT_EQ(owned->Disconnect(), com::S_OK);
    EXPECT_EQ(owned->ServerReferences(), 1);

    THOXCOMLibEventsBaseSink::Free(owned);
    EXPECT_FALSE(gone);
    HostControl::FireHealth(0, 3);
    EXPECT_EQ(apartment.RunPosted(), 1);
    EXPECT_EQ(calls, 0); // its owner is gone, so are the handlers' objects
    manager.Reset();     // the host's last reference
    EXPECT_TRUE(gone);

    // Without a host holding it, Free frees at once.
    gone = false;
    THOXCOMLibEventsBaseSink::Free(new Counted(&gone));
    EXPECT_TRUE(gone);
}
