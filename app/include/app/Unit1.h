// The main window and its host session: start-up and shut-down, the host's objects, login,
// Start and Stop, the health state, the calendar download and save keys. Over the market data
// handlers, which feed the tick charts, which sit in the window's layout.
#pragma once

#include "app/HOXCOMLibEvents.h"
#include "app/MarketData.h"
#include "app/ReplayBar.h"

#include "HOXCOMLib_TLB.h"
#include "com/ComPtr.h"

#include <cstdint>
#include <memory>

class TForm1 : public TForm1MarketData {
public:
    TForm1();
    ~TForm1() override;

    // Runs FormCreate; an error ends start-up at its step and is shown to the user.
    // Returns whether start-up completed.
    bool Create();

    void FormCreate();
    void FormDestroy();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    // "S" or "s" typed anywhere in the window starts a save run; the key still reaches the
    // focused control.
    void FormKeyPress(char& key);
    void OnHealthUpdateEvent(THOXCOMLibEventsBaseSink* sender, int32_t selector, uint32_t state);

    // Host objects.
    com::ComPtr<hox::IHoxComMgr> ComMgr;
    com::ComPtr<hox::IHoxOrderClient> OrderClient;
    com::ComPtr<hox::IHoxQuotes> QuotesA;
    com::ComPtr<hox::IHoxQuotes> QuotesB;
    std::unique_ptr<THOXCOMLibIHoxComMgrEvents, TSinkFree> HealthSink;
    // The replay's position and keys, while the host serves a replay.
    TReplayBar ReplayBar{*this, *StatusBar1};

private:
    void Timer1Timer() {}
    bool destroyed_ = false;
};
