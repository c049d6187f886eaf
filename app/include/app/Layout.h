// The window's fixed layout: tabs, edits with their labels, grids with titles and widths, and the
// tick charts with their series. It knows nothing of the host or of the data that fills it.
#pragma once

#include "chart/Chart.h"
#include "chart/series/BarSeries.h"
#include "chart/series/LineSeries.h"
#include "toolkit/Controls.h"
#include "toolkit/Form.h"
#include "toolkit/PanelWidget.h"
#include "toolkit/StringGrid.h"

#include <memory>

class TForm1Layout : public tk::TForm {
public:
    TForm1Layout();

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

private:
    // Creates ChartN (number 1 to 4) on page, shown by view, set up as a tick chart.
    kiv::TChart* TickChart(int number, QWidget* page, tk::TPanelWidget*& view);
    void AttachSeries();

    // Chart1 to Chart4. They go before the widgets (Qt children of the window), and each lets go
    // of its widget as it goes.
    std::unique_ptr<kiv::TChart> charts_[4];
};
