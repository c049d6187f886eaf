// One application object for the window tests, the simulated host with a fixed seed and no
// automatic feed, and a message presenter that records instead of showing dialogs.
#pragma once

#include "app/Unit1.h"

#include "com/Bstr.h"
#include "host/HostControl.h"
#include "host/SimulatedHost.h"
#include "rtl/DateTime.h"
#include "toolkit/MessageBox.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A quote record with texts of its own: EUR/USD at 2026.12.04 14:30:05, sizes 500 and 200.
struct Quote {
    com::Bstr symbol{u"EUR/USD"}, market{u"FX"}, company{u"Euro"}, underlier{u""};
    hox::QuoteRecord r{};
    Quote() {
        r.bstrSymbol = symbol.get();
        r.bstrMarket = market.get();
        r.bstrCompany = company.get();
        r.bstrUnderlier = underlier.get();
        r.dBid = 1.08345;
        r.dAsk = 1.0836;
        r.lBidSize = 500;
        r.lAskSize = 200;
        r.lVolume = 12345;
        r.UTCDateTime = rtl::EncodeDate(2026, 12, 4) + rtl::EncodeTime(14, 30, 5, 0);
    }
};

class WindowTest : public testing::Test {
public:
    static constexpr const char* kCalendarBody =
        "2026.12.07;08:30;EUR;German Factory Orders m/m;Medium;-1.5%;0.4%;1.5%\r\n"
        "0\r\n"
        "2026.12.07;10:00;EUR;Sentix Investor Confidence;Low;-2.1;-6.4;-7.4\r\n";

protected:
    void SetUp() override;
    void TearDown() override;
    // A window whose start-up ran; fails the test if it did not complete.
    std::unique_ptr<TForm1> CreatedForm();
    bool LogHas(const std::string& call) const;

    std::vector<std::string> messages;
    std::string workDir;    // the current folder while the test runs
    std::string programDir; // the program's folder, inside workDir
    std::string configDir;  // $XDG_CONFIG_HOME, inside workDir
    std::string savedDir;
};
