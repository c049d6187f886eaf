// The main window: the host connection, login, the quote and Level 2 views, the tick chart
// areas and the news grid.
#pragma once

#include "app/HOXCOMLibEvents.h"
#include "app/MakerRows.h"

#include "HOXCOMLib_TLB.h"
#include "chart/Chart.h"
#include "chart/series/BarSeries.h"
#include "chart/series/LineSeries.h"
#include "com/ComPtr.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/PanelWidget.h"
#include "toolkit/StringGrid.h"

#include <cstdint>
#include <memory>
#include <string>

class TDepthLadderWindow;
class TRowValues;

class TForm1 : public tk::TForm, public hox::IHoxQuotesNotify {
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

    // Feeds a tick chart from grid: series K from column colK (-1: not fed), times from
    // dateCol. Once lastRow reaches window, every fed series is rebuilt from the window - 1
    // newest rows; before that, lastRow from row 2 on is appended as one point. A cell that is
    // neither empty nor a number, or a "20" date that is not a date-time, raises.
    void fill_chart(kiv::TChart* chart, tk::TStringGrid* grid, int32_t lastRow, int32_t dateCol,
                    int32_t col0, int32_t col1, int32_t col2, int32_t col3,
                    const std::string& title, int32_t window);

    // IHoxQuotesNotify. The window is not reference counted through it.
    com::HRESULT QueryInterface(const com::IID& iid, void** object) override;
    com::ULONG AddRef() override { return 2; }
    com::ULONG Release() override { return 1; }
    com::HRESULT OnQuoteData(hox::QuoteRecord* record) override;
    com::HRESULT OnLevel2Data(hox::Level2Record* record) override;
    com::HRESULT OnTSData(hox::TSRecord* record) override;
    com::HRESULT OnOptionsData(hox::OptionsRecord* record) override;

    // Host objects.
    com::ComPtr<hox::IHoxComMgr> ComMgr;
    com::ComPtr<hox::IHoxOrderClient> OrderClient;
    com::ComPtr<hox::IHoxQuotes> QuotesA;
    com::ComPtr<hox::IHoxQuotes> QuotesB;
    std::unique_ptr<THOXCOMLibIHoxComMgrEvents, TSinkFree> HealthSink;

    // Controls (owned by the window through Qt's parent chain).
    tk::TPageControl* PageControl1;
    tk::TPageControl* PageControl2;
    tk::TEdit* Edit34; // user name
    tk::TEdit* Edit35; // password
    tk::TEdit* Edit36; // SDK client id
    tk::TEdit* Edit4;  // symbol
    tk::TButton* Button1;
    tk::TButton* Button2;
    tk::TButton* Button3;
    tk::TLabel* Label4;
    // "Level II": Edit1..Edit3, Edit5..Edit9. "Quotes": Edit10..Edit33.
    tk::TEdit* Edit1;
    tk::TEdit* Edit2;
    tk::TEdit* Edit3;
    tk::TEdit* Edit5;
    tk::TEdit* Edit6;
    tk::TEdit* Edit7;
    tk::TEdit* Edit8;
    tk::TEdit* Edit9;
    tk::TEdit* QuoteEdits[24];    // Edit10 .. Edit33, in that order
    tk::TStringGrid* StringGrid1; // quotes
    tk::TStringGrid* StringGrid2; // bid book
    tk::TStringGrid* StringGrid3; // ask book
    tk::TStringGrid* StringGrid4; // news
    // The tick charts ("Ticks 1": Chart1 above Chart3; "Ticks 2": Chart2 above Chart4) and the
    // widgets that show them.
    kiv::TChart* Chart1;
    kiv::TChart* Chart2;
    kiv::TChart* Chart3;
    kiv::TChart* Chart4;
    tk::TPanelWidget* ChartView1;
    tk::TPanelWidget* ChartView2;
    tk::TPanelWidget* ChartView3;
    tk::TPanelWidget* ChartView4;
    // Their series, in list order (each chart frees its own): lines of Chart1 and Chart2, bars
    // of Chart3 and Chart4. The green lines are never fed.
    kiv::TLineSeries* Series1;
    kiv::TLineSeries* Series2;
    kiv::TLineSeries* Series4;
    kiv::TLineSeries* LineSeries1;
    kiv::TLineSeries* LineSeries2;
    kiv::TLineSeries* Series5;
    kiv::TBarSeries* BarSeries1;
    kiv::TBarSeries* Series3;
    kiv::TBarSeries* BarSeries2;
    kiv::TBarSeries* BarSeries3;
    tk::TStatusBar* StatusBar1;
    tk::TTimer* Timer1;

    tk::TEdit* Edit(int number) const; // EditN by its number, for the quote and Level 2 edits
    // The depth ladder's window (F3), fed with every Level 2 record.
    std::unique_ptr<TDepthLadderWindow> DepthLadder;

private:
    void BuildLayout();
    // Creates ChartN (number 1 to 4) on page, shown by view, set up as a tick chart.
    kiv::TChart* TickChart(int number, QWidget* page, tk::TPanelWidget*& view);
    void AttachSeries();

    // Chart1 to Chart4. They go before the widgets (Qt children of the window), and each lets go
    // of its widget as it goes.
    std::unique_ptr<kiv::TChart> charts_[4];
    void Timer1Timer() {}
    // Numbers and times parsed from StringGrid1's cells for the tick charts.
    std::unique_ptr<TRowValues> quoteValues_;
    bool destroyed_ = false;
    // The rows of each Level 2 book that still show their market maker.
    TMakerRows BidMakers;
    TMakerRows AskMakers;
};
