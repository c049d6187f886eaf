#include "AppTestEnv.h"

#include "FeedCounters.h"
#include "LoginFile.h"
#include "com/OleCheck.h"
#include "toolkit/Application.h"
#include "toolkit/Thread.h"

#include <QApplication>

#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using hostsim::HostControl;

namespace {

std::vector<std::string> CallNames() {
    std::vector<std::string> names;
    for (const std::string& call : HostControl::CallLog())
        names.push_back(call.substr(0, call.find('(')));
    return names;
}

} // namespace

TEST_F(WindowTest, StartUpLaysOutTheWindowAndTalksToTheHostInOrder) {
    FeedCounters = {5, 6, 7};
    auto form = CreatedForm();
    EXPECT_EQ(FeedCounters.QuoteRows + FeedCounters.BidRows + FeedCounters.AskRows, 0);
    EXPECT_EQ(form->Caption(), "hoxdesk(v10.13.0.9) API v0.1");
    EXPECT_TRUE(form->KeyPreview());
    ASSERT_EQ(form->PageControl1->PageCount(), 5);
    const char* tabs[5] = {"Level 2", "Quotes", "Ticks 1", "Ticks 2", "News"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(form->PageControl1->PageCaption(i), tabs[i]);
    EXPECT_EQ(form->PageControl2->PageCaption(0), "Login");
    EXPECT_EQ(form->PageControl2->PageCaption(1), "Level II");
    EXPECT_EQ(form->Edit4->Text(), "EUR/USD");
    EXPECT_EQ(form->Label4->Caption(), "Conection Status");
    EXPECT_TRUE(form->Button1->isEnabled());
    EXPECT_FALSE(form->Button2->isEnabled());
    EXPECT_TRUE(form->Timer1->Enabled());
    EXPECT_EQ(form->Timer1->Interval(), 3600000);

    EXPECT_EQ(form->StringGrid1->ColCount(), 12);
    EXPECT_EQ(form->StringGrid1->Cells(5, 0), "+(AS-BS)");
    EXPECT_EQ(form->StringGrid1->Cells(8, 0), "");
    EXPECT_EQ(form->StringGrid1->ColWidths(0), 125);
    EXPECT_EQ(form->StringGrid1->ColWidths(11), 55);
    EXPECT_EQ(form->StringGrid2->Cells(2, 0), "Sell Size");
    EXPECT_EQ(form->StringGrid3->Cells(2, 0), "Buy Size");
    EXPECT_EQ(form->StringGrid3->ColWidths(0), 121);
    EXPECT_EQ(form->StringGrid4->Cells(6, 0), "Previous");
    EXPECT_EQ(form->ChartView1->size(), QSize(1001, 442));
    EXPECT_EQ(form->ChartView4->size(), QSize(1001, 161));

    std::vector<std::string> expected = {
        "CoCreateInstance", "SetManagerFlag",     "FindConnectionPoint", "Advise",
        "GetOrderClient",   "SetOrderClientFlag", "GetQuotes",           "GetQuotes"};
    EXPECT_EQ(CallNames(), expected);
    EXPECT_TRUE(LogHas("SetManagerFlag(0)"));
    EXPECT_TRUE(LogHas("SetOrderClientFlag(-1)"));

    HostControl::ClearCallLog();
    form.reset();
    // Quitting without Start still unsubscribes both quote objects (B first), then unadvises.
    std::vector<std::string> shutdown = {"Unsubscribe", "Unsubscribe", "Unadvise"};
    EXPECT_EQ(CallNames(), shutdown);
    EXPECT_TRUE(messages.empty());
}

TEST_F(WindowTest, TheFourTickChartsAreSetUpAsTheFormHasThem) {
    auto form = CreatedForm();
    kiv::TChart* charts[4] = {form->Chart1, form->Chart2, form->Chart3, form->Chart4};
    tk::TPanelWidget* views[4] = {form->ChartView1, form->ChartView2, form->ChartView3,
                                  form->ChartView4};
    for (int i = 0; i < 4; ++i) {
        kiv::TChart& chart = *charts[i];
        const bool lower = i >= 2;
        EXPECT_EQ(views[i]->Client(), &chart);
        EXPECT_EQ(chart.Color(), lower ? 16774394u : 15327722u);
        EXPECT_EQ(chart.Gradient().EndColor(), lower ? 16777088u : kiv::clYellow);
        EXPECT_FALSE(chart.Gradient().Visible());
        EXPECT_EQ(views[i]->BorderStyle(), lower ? tk::bsSingle : tk::bsNone);
        EXPECT_EQ(chart.Width(), lower ? 999 : 1001);
        EXPECT_EQ(chart.Title().Text(), std::vector<std::string>{"TChart"});
        EXPECT_EQ(chart.BackWall().Color(), kiv::clWhite);
        EXPECT_EQ(chart.BackWall().Brush().Style(), kiv::bsClear);
        EXPECT_EQ(chart.LeftAxis().AxisValuesFormat(), "#,##0.####");
        EXPECT_EQ(chart.LeftAxis().LabelsAngle(), 90);
        EXPECT_FALSE(chart.Legend().Visible());
        EXPECT_FALSE(chart.View3D());
    }
    EXPECT_EQ(form->ChartView3->parentWidget(), form->ChartView1->parentWidget());
    EXPECT_EQ(form->ChartView4->parentWidget(), form->ChartView2->parentWidget());

    // Their series in list order: lines with their width and pointer half size (0: hidden),
    // bars at full width; only each chart's first series has date-time X values.
    struct Expected {
        kiv::TChart* chart;
        kiv::TChartSeries* series;
        kiv::TColor color;
        int width, pointer;
        bool legend;
    };
    using kiv::clBlue, kiv::clGreen, kiv::clRed;
    const Expected expected[] = {{form->Chart1, form->Series1, clRed, 3, 2, true},
                                 {form->Chart1, form->Series2, clBlue, 3, 2, true},
                                 {form->Chart1, form->Series4, clGreen, 1, 3, false},
                                 {form->Chart2, form->LineSeries1, clRed, 2, 0, true},
                                 {form->Chart2, form->LineSeries2, clBlue, 2, 0, true},
                                 {form->Chart2, form->Series5, clGreen, 1, 3, false},
                                 {form->Chart3, form->BarSeries1, clRed, 0, 0, true},
                                 {form->Chart3, form->Series3, clBlue, 0, 0, true},
                                 {form->Chart4, form->BarSeries2, clRed, 0, 0, true},
                                 {form->Chart4, form->BarSeries3, clBlue, 0, 0, true}};
    int index = 0;
    for (const Expected& e : expected) {
        if (index > 0 && e.chart != (&e - 1)->chart) index = 0;
        SCOPED_TRACE(index);
        ASSERT_EQ(e.chart->Series(index), e.series);
        EXPECT_EQ(e.chart->SeriesCount(),
                  e.chart == form->Chart1 || e.chart == form->Chart2 ? 3 : 2);
        EXPECT_EQ(e.series->SeriesColor(), e.color);
        EXPECT_FALSE(e.series->Marks().Visible());
        EXPECT_EQ(e.series->XValues().DateTime(), index == 0);
        EXPECT_EQ(e.series->XValues().Order(), kiv::loAscending);
        EXPECT_EQ(e.series->YValues().Order(), kiv::loNone);
        EXPECT_EQ(e.series->ShowInLegend(), e.legend);
        if (auto* line = dynamic_cast<kiv::TLineSeries*>(e.series)) {
            EXPECT_EQ(line->LinePen().Width(), e.width);
            EXPECT_EQ(line->Pointer().Visible(), e.pointer > 0);
            if (e.pointer > 0) {
                EXPECT_EQ(line->Pointer().Style(), kiv::psRectangle);
                EXPECT_EQ(line->Pointer().HorizSize(), e.pointer);
                EXPECT_EQ(line->Pointer().VertSize(), e.pointer);
            }
        } else {
            auto* bars = dynamic_cast<kiv::TBarSeries*>(e.series);
            ASSERT_NE(bars, nullptr);
            EXPECT_EQ(bars->BarWidthPercent(), 100);
        }
        ++index;
    }
}

// The host keeps a sink whose Unadvise it refused: the window must not free it under the host.
TEST_F(WindowTest, ASinkTheHostStillHoldsOutlivesTheWindow) {
    com::ComPtr<hox::IHoxComMgr> manager;
    {
        auto form = CreatedForm();
        manager = form->ComMgr; // the host's manager outlives the window
        HostControl::FailCall("Unadvise", com::E_FAIL);
    }
    HostControl::FireHealth(0, 3); // reaches the abandoned sink, not the window that is gone
    QApplication::processEvents();
    manager.Reset(); // the host lets go of the sink
    EXPECT_TRUE(messages.empty());
}

TEST_F(WindowTest, AFailedHostCallEndsStartUpAtItsStep) {
    struct Case {
        const char* call;
        int onlyCall;
        const char* lastLogged; // the failing call is logged, nothing after it
    };
    const Case cases[] = {{"CoCreateInstance", 0, "CoCreateInstance"},
                          {"SetManagerFlag", 0, "SetManagerFlag"},
                          {"FindConnectionPoint", 0, "FindConnectionPoint"},
                          {"Advise", 0, "Advise"},
                          {"GetOrderClient", 0, "GetOrderClient"},
                          {"SetOrderClientFlag", 0, "SetOrderClientFlag"},
                          {"GetQuotes", 1, "GetQuotes"},
                          {"GetQuotes", 2, "GetQuotes"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.call) + " #" + std::to_string(c.onlyCall));
        HostControl::ClearFailures();
        HostControl::ClearCallLog();
        messages.clear();
        HostControl::FailCall(c.call, com::E_ACCESSDENIED, c.onlyCall);
        {
            TForm1 form;
            EXPECT_FALSE(form.Create());
            ASSERT_EQ(messages.size(), 1u);
            std::string name = c.call;
            if (name == "FindConnectionPoint" || name == "Advise")
                EXPECT_EQ(messages[0], "Unable to connect THOXCOMLibIHoxComMgrEvents.\r" +
                                           com::SysErrorMessage(com::E_ACCESSDENIED));
            else
                EXPECT_EQ(messages[0], com::SysErrorMessage(com::E_ACCESSDENIED));
            auto names = CallNames();
            ASSERT_FALSE(names.empty());
            EXPECT_EQ(names.back(), c.lastLogged);
            // The later steps did not run.
            EXPECT_EQ(form.StringGrid1->Cells(0, 0), "");
            EXPECT_EQ(form.StringGrid4->Cells(0, 0), "");
        } // destroying the half-started window releases what exists and nothing else
        EXPECT_EQ(messages.size(), 1u) << messages.back();
    }
}

TEST_F(WindowTest, LoginFileIsReadBesideTheProgramNotInTheCurrentFolder) {
    const std::string beside = programDir + "Login.txt";
    {
        std::ofstream(beside, std::ios::binary) << "trader\r\nsecret\r\n1234\r\n";
        std::ofstream("Login.txt", std::ios::binary) << "wrong\r\nwrong\r\n9\r\n"; // current folder
        auto form = CreatedForm();
        EXPECT_EQ(form->Edit34->Text(), "trader");
        EXPECT_EQ(form->Edit35->Text(), "secret");
        EXPECT_EQ(form->Edit36->Text(), "1234");
    }
    struct Variant {
        const char* bytes;
        size_t size;
        const char* user;
        const char* password;
        const char* id;
    };
    const Variant variants[] = {
        {"solo\r\n", 6, "solo", "", ""},
        {"a\nb\nc\n", 6, "a", "b", "c"},   // LF only
        {"a\rb\rc\r", 6, "a", "b", "c"},   // CR only
        {"a\r\nb\r\nc", 7, "a", "b", "c"}, // no final line end
        {"a\r\n\r\nc\r\nextra\r\n", 15, "a", "", "c"},
        {"\xE9t\xE9\x00x\r\nb\r\n", 9, "\xE9t\xE9", "b", ""}, // a NUL byte is text, not a line end
        {"", 0, "", "", ""},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(std::string(v.bytes, v.size));
        std::ofstream(beside, std::ios::binary | std::ios::trunc)
            .write(v.bytes, std::streamsize(v.size));
        auto form = CreatedForm();
        EXPECT_EQ(form->Edit34->Text().substr(0, std::string(v.user).size()), v.user);
        if (std::string(v.bytes, v.size).find('\0') == std::string::npos) {
            EXPECT_EQ(form->Edit34->Text(), v.user);
            EXPECT_EQ(form->Edit35->Text(), v.password);
            EXPECT_EQ(form->Edit36->Text(), v.id);
        }
    }
    // A very long line fills the edit up to what it holds; start-up goes on.
    std::ofstream(beside, std::ios::binary | std::ios::trunc)
        << std::string(100000, 'u') << "\r\np\r\n7\r\n";
    {
        auto form = CreatedForm();
        EXPECT_EQ(form->Edit34->Text(), std::string(kMaxLoginLine, 'u'));
        EXPECT_EQ(form->Edit36->Text(), "7");
    }
    // Only the head of a huge file is read: a first line without an end, larger than that
    // head, leaves the other lines unread (the whole file would give "7").
    std::ofstream(beside, std::ios::binary | std::ios::trunc)
        << std::string(3 << 20, 'u') << "\r\np\r\n7\r\n";
    {
        auto form = CreatedForm();
        EXPECT_EQ(form->Edit34->Text(), std::string(kMaxLoginLine, 'u'));
        EXPECT_EQ(form->Edit36->Text(), "");
    }
    // A Login.txt that is not a regular file ends start-up before the host is reached, with the
    // true cause; a FIFO without a writer does not hold it up.
    struct Unreadable {
        const char* what;
        std::function<int(const std::string&)> make;
        const char* cause;
    };
    const Unreadable unreadable[] = {
        {"folder", [](const std::string& p) { return mkdir(p.c_str(), 0700); }, "Is a directory"},
        {"FIFO", [](const std::string& p) { return mkfifo(p.c_str(), 0600); },
         "not a regular file"},
        {"device", [](const std::string& p) { return symlink("/dev/zero", p.c_str()); },
         "not a regular file"},
    };
    for (const Unreadable& u : unreadable) {
        SCOPED_TRACE(u.what);
        unlink(beside.c_str());
        rmdir(beside.c_str());
        ASSERT_EQ(u.make(beside), 0);
        messages.clear();
        HostControl::ClearCallLog();
        TForm1 form;
        EXPECT_FALSE(form.Create());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find(beside), std::string::npos) << messages[0];
        EXPECT_NE(messages[0].find(u.cause), std::string::npos) << messages[0];
        EXPECT_TRUE(HostControl::CallLog().empty());
    }
}

TEST_F(WindowTest, StartUpFillsTheNewsGridFromTheCalendarService) {
    auto form = CreatedForm(); // waits for the download worker
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(form->StringGrid4->Cells(0, 0), "DateTime");
    EXPECT_EQ(form->StringGrid4->Cells(0, 1), "2026.12.07 08:30");
    EXPECT_EQ(form->StringGrid4->Cells(2, 1), "German Factory Orders m/m");
    EXPECT_EQ(form->StringGrid4->Cells(0, 2), ""); // the "0" line keeps its row
    EXPECT_EQ(form->StringGrid4->Cells(7 - 1, 3), "-7.4");
    EXPECT_EQ(form->StringGrid4->RowCount(), 4);
    // The Download button runs it again.
    form->Button3->click();
    form->Workers().WaitForWorkers();
    EXPECT_EQ(form->StringGrid4->Cells(1, 3), "EUR");
    EXPECT_TRUE(messages.empty());
}
