// Connecting the sink to the simulated host's manager, and the messages when that fails.
#include "app/HOXCOMLibEvents.h"

#include "com/Com.h"
#include "host/HostControl.h"
#include "host/SimulatedHost.h"
#include "rtl/Exceptions.h"

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
        com::RunPendingApartmentCalls();
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
    com::RunPendingApartmentCalls();
    EXPECT_EQ(health, (std::vector<std::pair<int32_t, int32_t>>{{0, 3}}));

    sink.Disconnect();
    EXPECT_EQ(sink.Source(), nullptr);
    EXPECT_EQ(sink.ConnectionPoint(), nullptr);
    sink.Disconnect(); // already disconnected: no second Unadvise
    EXPECT_EQ(HostControl::CallLog().back(), "Unadvise");
    EXPECT_EQ(HostControl::CallLog().size(), 3u);

    HostControl::FireHealth(0, 2);
    com::RunPendingApartmentCalls();
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
    com::RunPendingApartmentCalls();
    EXPECT_EQ(health.size(), 1u); // one registration, one call
}

TEST_F(SinkConnect, MissingSourceIsAFailedAssertion) {
    try {
        sink.Connect(nullptr);
        FAIL() << "no assertion";
    } catch (const rtl::EAssertionFailed& e) {
        EXPECT_NE(e.Message.find("Level2/HOXCOMLibEvents, line 306"), std::string::npos);
    }
    EXPECT_TRUE(HostControl::CallLog().empty());
}

TEST_F(SinkConnect, FailuresNameTheSinkAndTheReason) {
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

TEST_F(SinkConnect, FailedUnadviseIsSwallowedAndLeavesTheSinkDisconnected) {
    sink.Connect(manager.Get());
    HostControl::FailCall("Unadvise", com::E_FAIL);
    EXPECT_NO_THROW(sink.Disconnect());
    EXPECT_EQ(sink.Source(), nullptr);
    EXPECT_EQ(sink.ConnectionPoint(), nullptr);
    HostControl::ClearFailures();
    EXPECT_EQ(ConnectError(manager.Get()), "connected");
}
