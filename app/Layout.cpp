#include "app/Layout.h"

#include <QVBoxLayout>

namespace {

constexpr const char* kQuoteFields[24] = {
    "bstrSymbol",    "bstrMarket", "bstrCompany", "bstrUnderlier", "dLast",   "dBid",
    "dAsk",          "dPrevClose", "dHigh",       "dLow",          "dOpen",   "dMarginMult",
    "dStrikePrice",  "lBidSize",   "lAskSize",    "lLastSize",     "lVolume", "lFlags",
    "lContractSize", "lExpMonth",  "lExpYear",    "UTCDateTime",   "tick",    "putcall"};

tk::TEdit* LabelledEdit(QWidget* parent, const char* caption, int x, int y, int labelWidth,
                        int editWidth) {
    auto* label = new tk::TLabel(caption, parent);
    label->setGeometry(x, y + 3, labelWidth, 16);
    auto* edit = new tk::TEdit(parent);
    edit->setGeometry(x + labelWidth, y, editWidth, 21);
    return edit;
}

tk::TStringGrid* Grid(QWidget* parent, int cols, int rows, std::initializer_list<int> widths) {
    auto* grid = new tk::TStringGrid(parent);
    grid->SetColCount(cols);
    grid->SetRowCount(rows);
    int c = 0;
    for (int w : widths) grid->SetColWidths(c++, w);
    return grid;
}

// A series of a tick chart: its colour, no marks, and on the first series of each chart X
// values that are date-times.
template <class S> S* TickSeries(kiv::TChart* chart, gfx::TColor color, bool dateTimes) {
    auto* series = new S; // the chart frees it
    series->SetSeriesColor(color);
    series->Marks().SetVisible(false);
    series->XValues().SetOrder(kiv::loAscending);
    series->YValues().SetOrder(kiv::loNone);
    if (dateTimes) series->XValues().SetDateTime(true);
    series->SetParentChart(chart);
    return series;
}

// A line of width width (0: the default) with rectangle pointers of half size pointer, or
// none (0).
kiv::TLineSeries* TickLine(kiv::TChart* chart, gfx::TColor color, bool dateTimes, int width,
                           int pointer) {
    auto* line = TickSeries<kiv::TLineSeries>(chart, color, dateTimes);
    if (width > 0) line->LinePen().SetWidth(width);
    line->Pointer().SetVisible(pointer > 0);
    if (pointer > 0) {
        line->Pointer().SetStyle(kiv::psRectangle);
        line->Pointer().SetHorizSize(pointer);
        line->Pointer().SetVertSize(pointer);
    }
    return line;
}

kiv::TBarSeries* TickBars(kiv::TChart* chart, gfx::TColor color, bool dateTimes) {
    auto* bars = TickSeries<kiv::TBarSeries>(chart, color, dateTimes);
    bars->SetBarWidthPercent(100);
    return bars;
}

} // namespace

void TForm1Layout::AttachSeries() {
    using gfx::clBlue, gfx::clGreen, gfx::clRed;
    Series1 = TickLine(Chart1, clRed, true, 3, 2);
    Series2 = TickLine(Chart1, clBlue, false, 3, 2);
    Series4 = TickLine(Chart1, clGreen, false, 0, 3);
    Series4->SetShowInLegend(false);
    LineSeries1 = TickLine(Chart2, clRed, true, 2, 0);
    LineSeries2 = TickLine(Chart2, clBlue, false, 2, 0);
    Series5 = TickLine(Chart2, clGreen, false, 0, 3);
    Series5->SetShowInLegend(false);
    BarSeries1 = TickBars(Chart3, clRed, true);
    Series3 = TickBars(Chart3, clBlue, false);
    BarSeries2 = TickBars(Chart4, clRed, true);
    BarSeries3 = TickBars(Chart4, clBlue, false);
}

kiv::TChart* TForm1Layout::TickChart(int number, QWidget* page, tk::TPanelWidget*& view) {
    // The upper charts of both pages are tall; the lower ones are short, pale and framed.
    const bool lower = number > 2;
    charts_[number - 1] = std::make_unique<kiv::TChart>();
    kiv::TChart& chart = *charts_[number - 1];
    const gfx::TColor color = lower ? 16774394 : 15327722;
    chart.SetColor(color);
    chart.SetView3D(false);
    chart.Title().SetText({"TChart"});
    chart.Legend().SetVisible(false);
    chart.BackWall().SetColor(gfx::clWhite);
    chart.BackWall().Brush().SetStyle(gfx::bsClear);
    chart.LeftAxis().SetAxisValuesFormat("#,##0.####");
    chart.LeftAxis().SetLabelsAngle(90);
    view = new tk::TPanelWidget(page);
    view->setGeometry(0, lower ? 445 : 0, 1001, lower ? 161 : 442);
    if (lower) {
        chart.Gradient().SetEndColor(16777088);
        view->SetBorderStyle(tk::bsSingle);
    }
    view->SetClient(&chart);
    return &chart;
}

TForm1Layout::TForm1Layout() {
    SetCaption("hoxdesk(v10.13.0.9) API v0.1");
    SetBounds(1018, 680);
    SetKeyPreview(true);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    PageControl1 = new tk::TPageControl(this);
    StatusBar1 = new tk::TStatusBar(this);
    outer->addWidget(PageControl1, 1);
    outer->addWidget(StatusBar1);

    // "Level 2": the login and last-record tabs above the two books.
    tk::TTabSheet* level2 = PageControl1->AddPage("Level 2");
    PageControl2 = new tk::TPageControl(level2);
    PageControl2->setGeometry(0, 0, 529, 177);
    tk::TTabSheet* login = PageControl2->AddPage("Login");
    Edit34 = LabelledEdit(login, "User name:", 8, 10, 100, 150);
    Edit35 = LabelledEdit(login, "Password:", 8, 38, 100, 150);
    Edit35->setEchoMode(QLineEdit::Password);
    Edit36 = LabelledEdit(login, "SDK client ID #", 8, 66, 100, 150);
    Edit4 = LabelledEdit(login, "Symbol:", 8, 94, 100, 150);
    Edit4->SetText("EUR/USD");
    Button1 = new tk::TButton("Start", login);
    Button1->setGeometry(290, 10, 90, 25);
    Button2 = new tk::TButton("Stop", login);
    Button2->setGeometry(290, 42, 90, 25);
    Label4 = new tk::TLabel("Conection Status", login);
    Label4->SetColor(gfx::clWhite);
    Label4->setGeometry(290, 94, 220, 21);

    tk::TTabSheet* level2Record = PageControl2->AddPage("Level II");
    const char* l2Fields[8] = {"bstrSymbol", "bstrMMID", "bstrSource", "lSize",
                               "dPrice",     "side",     "bClosed",    "UTCTime"};
    tk::TEdit** l2Edits[8] = {&Edit1, &Edit2, &Edit3, &Edit5, &Edit6, &Edit7, &Edit8, &Edit9};
    for (int i = 0; i < 8; ++i) {
        *l2Edits[i] =
            LabelledEdit(level2Record, l2Fields[i], 8 + (i / 4) * 255, 8 + (i % 4) * 30, 85, 160);
        (*l2Edits[i])->setReadOnly(true);
    }

    StringGrid2 = Grid(level2, 8, 2, {132, 62, 69, 36, 56, 54, 40, 40});
    StringGrid2->setGeometry(0, 180, 505, 430);
    StringGrid3 = Grid(level2, 8, 2, {121, 59, 66, 30, 53, 54, 40, 40});
    StringGrid3->setGeometry(507, 180, 500, 430);

    // "Quotes": the latest quote's 24 fields above the quote history.
    tk::TTabSheet* quotes = PageControl1->AddPage("Quotes");
    for (int i = 0; i < 24; ++i) {
        QuoteEdits[i] =
            LabelledEdit(quotes, kQuoteFields[i], 6 + (i / 6) * 252, 6 + (i % 6) * 26, 92, 150);
        QuoteEdits[i]->setReadOnly(true);
    }
    StringGrid1 = Grid(quotes, 12, 2, {125, 97, 90, 84, 73, 80, 75, 76, 70, 65, 70, 55});
    StringGrid1->setGeometry(0, 164, 1008, 446);

    tk::TTabSheet* ticks1 = PageControl1->AddPage("Ticks 1");
    Chart1 = TickChart(1, ticks1, ChartView1);
    Chart3 = TickChart(3, ticks1, ChartView3);
    tk::TTabSheet* ticks2 = PageControl1->AddPage("Ticks 2");
    Chart2 = TickChart(2, ticks2, ChartView2);
    Chart4 = TickChart(4, ticks2, ChartView4);
    AttachSeries();

    tk::TTabSheet* news = PageControl1->AddPage("News");
    Button3 = new tk::TButton("Download", news);
    Button3->setGeometry(6, 6, 90, 25);
    StringGrid4 = Grid(news, 7, 2, {125, 60, 430, 70, 85, 85, 85});
    StringGrid4->setGeometry(0, 36, 1008, 574);

    Timer1 = new tk::TTimer(this);
}

tk::TEdit* TForm1Layout::Edit(int number) const {
    switch (number) {
    case 1:
        return Edit1;
    case 2:
        return Edit2;
    case 3:
        return Edit3;
    case 4:
        return Edit4;
    case 5:
        return Edit5;
    case 6:
        return Edit6;
    case 7:
        return Edit7;
    case 8:
        return Edit8;
    case 9:
        return Edit9;
    case 34:
        return Edit34;
    case 35:
        return Edit35;
    case 36:
        return Edit36;
    default:
        return number >= 10 && number <= 33 ? QuoteEdits[number - 10] : nullptr;
    }
}
