#include "app/Unit1.h"

#include "FeedCounters.h"
#include "HostLoss.h"
#include "LoginFile.h"
#include "app/DepthLadderWindow.h"

#include "com/ClassRegistry.h"
#include "com/OleCheck.h"
#include "rtl/AnsiText.h"
#include "rtl/Exceptions.h"
#include "rtl/NumberText.h"
#include "toolkit/MessageBox.h"
#include "toolkit/Thread.h"
#include "workers/Unit2.h"

using com::OleCheck;

namespace {

com::Bstr Wide(const std::string& ansi) {
    return com::Bstr(rtl::AnsiToWide(ansi));
}

} // namespace

TForm1::TForm1() {
    DepthLadder = std::make_unique<TDepthLadderWindow>(*this);
    Timer1->OnTimer = [this] { Timer1Timer(); };
    Button1->OnClick = [this] { Button1Click(); };
    Button2->OnClick = [this] { Button2Click(); };
    Button3->OnClick = [this] { Button3Click(); };
    OnKeyPress = [this](char& key) { FormKeyPress(key); };
}

TForm1::~TForm1() {
    // A worker still running may hop here with the news grid: it ends first.
    BeginClosing();
    try {
        FormDestroy();
    } catch (const std::exception& e) {
        tk::ShowException(e);
    }
}

bool TForm1::Create() {
    try {
        FormCreate();
        return true;
    } catch (const std::exception& e) {
        tk::ShowException(e);
        return false;
    }
}

void TForm1::FormCreate() {
    // The remembered login.
    TLoginValues login;
    if (ReadRememberedLogin(login)) {
        Edit34->SetText(login.UserName);
        Edit35->SetText(login.Password);
        Edit36->SetText(login.ClientId);
    }
    // The host's manager, created from its registered class.
    OleCheck(com::CoCreateInstance(hox::CLSID_HoxComMgr, nullptr, com::CLSCTX_SERVER,
                                   hox::IID_IHoxComMgr, ComMgr.PutVoid()));
    OleCheck(ComMgr->SetManagerFlag(0));
    // The event sink on the manager: its health events reach Label4.
    HealthSink.reset(new THOXCOMLibIHoxComMgrEvents);
    HealthSink->OnHealthUpdate = [this](THOXCOMLibEventsBaseSink* sender, int32_t selector,
                                        int32_t state) {
        OnHealthUpdateEvent(sender, selector, uint32_t(state));
    };
    HealthSink->OnDisconnected = HostLossHandler(*this);
    HealthSink->Connect(ComMgr.Get());
    // The order client and the two quote objects.
    OleCheck(ComMgr->GetOrderClient(OrderClient.Put()));
    OleCheck(OrderClient->SetOrderClientFlag(-1));
    OleCheck(ComMgr->GetQuotes(QuotesA.Put()));
    OleCheck(ComMgr->GetQuotes(QuotesB.Put()));
    ReplayBar.Attach(ComMgr.Get());
    // Idle: Start on, Stop off.
    Button1->setEnabled(true);
    Button2->setEnabled(false);
    // Titles of the quote grid and of both books.
    const char* quoteTitles[8] = {"UTCDateTime", "Bid",      "Ask",      "BidSize",
                                  "AskSize",     "+(AS-BS)", "-(AS-BS)", "Volume"};
    for (int c = 0; c < 8; ++c) StringGrid1->SetCells(c, 0, quoteTitles[c]);
    const char* bidTitles[3] = {"MMID", "Bid", "Sell Size"};
    const char* askTitles[3] = {"MMID", "Ask", "Buy Size"};
    for (int c = 0; c < 3; ++c) {
        StringGrid2->SetCells(c, 0, bidTitles[c]);
        StringGrid3->SetCells(c, 0, askTitles[c]);
    }
    // The row counters start at zero.
    FeedCounters = TFeedCounters{};
    // The hourly timer.
    Timer1->SetEnabled(true);
    Timer1->SetInterval(3600000);
    // The first calendar download, on a worker of its own.
    new TTestThread_1(Workers(), StringGrid4);
    // Titles of the news grid.
    const char* newsTitles[7] = {"DateTime", "Currency", "Title",   "Impact",
                                 "Actual",   "Forecast", "Previous"};
    for (int c = 0; c < 7; ++c) StringGrid4->SetCells(c, 0, newsTitles[c]);
}

void TForm1::FormDestroy() {
    if (destroyed_) return;
    destroyed_ = true;
    if (QuotesB) {
        OleCheck(QuotesB->Unsubscribe(this));
        QuotesB.Reset();
    }
    if (QuotesA) {
        OleCheck(QuotesA->Unsubscribe(this));
        QuotesA.Reset();
    }
    // A host that refused Unadvise keeps the sink, which then outlives the window.
    HealthSink.reset();
    ReplayBar.Detach();
    ComMgr.Reset();
    OrderClient.Reset();
}

void TForm1::Button1Click() {
    if (!QuotesA || !QuotesB || !ComMgr) throw rtl::Exception("Not connected to the trading host");
    com::Bstr symbol = Wide(Edit4->Text());
    OleCheck(QuotesA->Subscribe(this, symbol.get(), 2));
    OleCheck(QuotesB->Subscribe(this, symbol.get(), 1));
    if (Edit36->Text().empty() || Edit35->Text().empty() || Edit34->Text().empty()) {
        tk::ShowMessage("Incomplet \r\nUser name: ...\r\nPassword: ...\r\nSDK client ID # ...");
        return;
    }
    int32_t clientId = rtl::StrToInt(Edit36->Text());
    com::VARIANT_BOOL result = 0;
    OleCheck(ComMgr->Logon(clientId, Wide(Edit34->Text()).get(), Wide(Edit35->Text()).get(), 0,
                           &result));
    com::VARIANT_BOOL loggedOn = 0;
    OleCheck(ComMgr->GetLoggedOn(&loggedOn));
    if (loggedOn != 0) RememberLogin({Edit34->Text(), Edit35->Text(), Edit36->Text()});
    Button2->setEnabled(true);
    Button1->setEnabled(false);
    Edit4->setEnabled(false);
}

void TForm1::Button2Click() {
    if (HealthSink) HealthSink->Disconnect();
    if (QuotesA) OleCheck(QuotesA->Unsubscribe(this));
    if (QuotesB) OleCheck(QuotesB->Unsubscribe(this));
    EmptyDataGrids();
    // The ladder keeps no book of a stopped session either.
    if (DepthLadder) DepthLadder->Clear();
    Edit4->setEnabled(true);
    Button2->setEnabled(false);
    Button1->setEnabled(true);
}

void TForm1::Button3Click() {
    new TTestThread_1(Workers(), StringGrid4);
}

void TForm1::FormKeyPress(char& key) {
    if (key != 'S' && key != 's') return;
    workers::TSaveRunSources window;
    window.QuoteRows = &FeedCounters.QuoteRows;
    tk::TStringGrid* grids[4] = {StringGrid1, StringGrid2, StringGrid3, StringGrid4};
    kiv::TCustomKivPanel* charts[4] = {Chart1, Chart3, Chart2, Chart4};
    for (int i = 0; i < 4; ++i) {
        window.Grids[i] = grids[i];
        window.Charts[i] = charts[i];
    }
    window.Symbol = Edit4;
    window.StatusBar = StatusBar1;
    new TTestThread_2(Workers(), window);
}

void TForm1::OnHealthUpdateEvent(THOXCOMLibEventsBaseSink*, int32_t selector, uint32_t state) {
    if (selector == 0) Label4->SetCaption("State: " + rtl::UIntToStr(state));
}
