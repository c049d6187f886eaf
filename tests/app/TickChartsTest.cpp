// The tick charts follow the quote grid: appended points, rebuilds from the newest rows, the
// time and value of a cell, and the failure that ends a quote.
#include "AppTestEnv.h"

#include "FeedCounters.h"
#include "RowValues.h"
#include "app/ChartToolSet.h"
#include "raster/RecordingDevice.h"
#include "rtl/DateTime.h"
#include "rtl/Exceptions.h"
#include "rtl/NumberText.h"
#include "toolkit/Thread.h"

#include <random>
#include <set>

namespace {

const double kStart = rtl::EncodeDate(2026, 12, 4) + rtl::EncodeTime(14, 30, 0, 0);

// Quote i (from 1) is one second after quote i - 1, with a bid and sizes of its own.
void SendQuote(TForm1& form, int i) {
    Quote q;
    q.r.UTCDateTime = kStart + i / 86400.0;
    q.r.dBid = 1 + i / 1000.0;
    q.r.dAsk = 2 + i / 1000.0;
    q.r.lBidSize = i;
    q.r.lAskSize = 2 * i;
    ASSERT_EQ(form.OnQuoteData(&q.r), com::S_OK);
}

// The time read back from the grid's text (whole seconds), for i below 1800.
double TimeOf(int i) {
    return rtl::EncodeDate(2026, 12, 4) + rtl::EncodeTime(14, 30 + i / 60, i % 60, 0);
}

kiv::TChartSeries& S(kiv::TChart* chart, int k) {
    return *chart->Series(k);
}

// Series 0 and 1 of the chart hold rows first to last (oldest first) of the quotes.
void ExpectRows(kiv::TChart* chart, int first, int last, double (*value0)(int),
                double (*value1)(int)) {
    for (int k = 0; k < 2; ++k) {
        kiv::TChartSeries& s = S(chart, k);
        ASSERT_EQ(s.PointCount(), last - first + 1) << "series " << k;
        for (int i = first; i <= last; ++i) {
            const int p = i - first;
            EXPECT_NEAR(s.XValues()[p], TimeOf(i), 1e-9) << "row " << i;
            EXPECT_DOUBLE_EQ(s.YValues()[p], (k == 0 ? value0 : value1)(i)) << "row " << i;
        }
    }
}

double Bid(int i) {
    return 1 + i / 1000.0;
}
double Ask(int i) {
    return 2 + i / 1000.0;
}
double BidSize(int i) {
    return i;
}
double AskSize(int i) {
    return 2 * i;
}
// The ask size is above the bid size: "-(AS-BS)" is 0, "+(AS-BS)" the difference.
double Zero(int) {
    return 0;
}
double Plus(int i) {
    return 2 * i - i;
}

} // namespace

TEST_F(WindowTest, TickChartsAppendUntilTheirWindowThenRebuildFromTheNewestRows) {
    auto form = CreatedForm();
    kiv::TChart* charts[4] = {form->Chart1, form->Chart2, form->Chart3, form->Chart4};
    for (kiv::TChart* c : charts) EXPECT_EQ(c->Title().Text(), std::vector<std::string>{"TChart"});

    SendQuote(*form, 1);
    for (kiv::TChart* c : charts) {
        for (int k = 0; k < c->SeriesCount(); ++k) EXPECT_EQ(S(c, k).PointCount(), 0);
        EXPECT_EQ(c->Title().Text(), std::vector<std::string>{"EUR/USD"});
        EXPECT_EQ(c->BottomAxis().DateTimeFormat(), "yy.mm.dd hh:mm:ss");
    }
    SendQuote(*form, 2);
    SendQuote(*form, 3);
    ExpectRows(form->Chart1, 2, 3, Bid, Ask);
    ExpectRows(form->Chart3, 2, 3, BidSize, AskSize);
    ExpectRows(form->Chart2, 2, 3, Bid, Ask);
    // Chart4's first series is the negative difference, its second the positive one.
    ExpectRows(form->Chart4, 2, 3, Zero, Plus);

    for (int i = 4; i <= 149; ++i) SendQuote(*form, i);
    ExpectRows(form->Chart1, 2, 149, Bid, Ask);
    SendQuote(*form, 150);
    ExpectRows(form->Chart1, 2, 150, Bid, Ask);
    ExpectRows(form->Chart3, 2, 150, BidSize, AskSize);
    SendQuote(*form, 151);
    ExpectRows(form->Chart1, 3, 151, Bid, Ask);
    ExpectRows(form->Chart2, 2, 151, Bid, Ask); // still appending: its window is 500
    for (int i = 152; i <= 501; ++i) SendQuote(*form, i);
    ExpectRows(form->Chart2, 3, 501, Bid, Ask);
    ExpectRows(form->Chart1, 353, 501, Bid, Ask);
    // The green series are never fed.
    EXPECT_EQ(S(form->Chart1, 2).PointCount(), 0);
    EXPECT_EQ(S(form->Chart2, 2).PointCount(), 0);

    // A cell changed in the grid shows at the next rebuild: nothing read before is kept.
    form->StringGrid1->SetCells(1, 480, "7.5");
    SendQuote(*form, 502);
    EXPECT_DOUBLE_EQ(S(form->Chart2, 0).YValues()[480 - 4], 7.5);
    EXPECT_DOUBLE_EQ(S(form->Chart2, 0).YValues()[481 - 4], Bid(481));
}

// Quotes of years before 2000 (a replay) are plotted at their own time, as later ones are.
TEST_F(WindowTest, TickChartsPlotQuotesOfAnyYearAtTheirOwnTime) {
    auto form = CreatedForm();
    const double times[] = {rtl::EncodeDate(1899, 12, 30), rtl::EncodeDate(1994, 1, 3),
                            rtl::EncodeDate(1999, 12, 31) + rtl::EncodeTime(23, 59, 59, 0),
                            rtl::EncodeDate(2000, 1, 1)};
    Quote q;
    for (double t : times) {
        q.r.UTCDateTime = t;
        ASSERT_EQ(form->OnQuoteData(&q.r), com::S_OK);
    }
    kiv::TChartSeries& s = S(form->Chart1, 0);
    ASSERT_EQ(s.PointCount(), 3);
    for (int p = 0; p < 3; ++p) EXPECT_NEAR(s.XValues()[p], times[p + 1], 1e-9) << p;
}

// Every quote gives a chart its automatic ranges back, unless its view is held: then a zoom or
// a wheel scroll stays over the quotes while the points follow them, until a double click.
TEST_F(WindowTest, TheNextQuoteUndoesAZoomUnlessTheViewIsHeld) {
    auto form = CreatedForm();
    for (int i = 1; i <= 5; ++i) SendQuote(*form, i);
    kiv::TChart& chart = *form->Chart1;
    kiv::TCustomChartAxis& left = chart.LeftAxis();
    chart.ApplyZoom({{&left, 1.002, 1.003}});
    ASSERT_TRUE(chart.Zoomed());
    ASSERT_FALSE(left.Automatic());
    SendQuote(*form, 6);
    EXPECT_FALSE(chart.Zoomed());
    EXPECT_TRUE(left.Automatic());

    TChartToolSet tools(*form, "");
    form->SetHeldView(&chart, true);
    SendQuote(*form, 7); // nothing to hold yet
    EXPECT_TRUE(left.Automatic());
    chart.ApplyZoom({{&left, 1.002, 1.003}});
    form->Chart2->ApplyZoom({{&form->Chart2->LeftAxis(), 1.002, 1.003}}); // not held
    const int points = S(&chart, 0).PointCount();
    SendQuote(*form, 8);
    EXPECT_TRUE(chart.Zoomed());
    EXPECT_EQ(left.Minimum(), 1.002);
    EXPECT_EQ(left.Maximum(), 1.003);
    EXPECT_EQ(S(&chart, 0).PointCount(), points + 1);
    EXPECT_FALSE(form->Chart2->Zoomed());
    EXPECT_TRUE(form->Chart2->LeftAxis().Automatic());

    tools.Tools(0).MouseDown(gfx::mbLeft, gfx::ssLeft | gfx::ssDouble, 100, 100);
    tools.Tools(0).MouseUp(gfx::mbLeft, 0, 100, 100);
    EXPECT_FALSE(chart.Zoomed());
    EXPECT_TRUE(left.Automatic());
    ASSERT_TRUE(tools.Tools(0).MouseWheel(0, -120, 100, 100));
    const double scrolled = left.Minimum();
    SendQuote(*form, 9);
    EXPECT_FALSE(left.Automatic());
    EXPECT_EQ(left.Minimum(), scrolled);

    form->SetHeldView(&chart, false);
    SendQuote(*form, 10);
    EXPECT_TRUE(left.Automatic());
}

// Rows emptied by Stop hold no quote: a rebuild that meets them plots fewer points, none at 0,
// so the price axis keeps to the prices.
TEST_F(WindowTest, RowsEmptiedByStopAreNotPlottedAndABadCellEndsTheQuote) {
    auto form = CreatedForm();
    for (int i = 1; i <= 160; ++i) SendQuote(*form, i);
    form->Button2Click(); // Stop empties the rows, dates included
    form->Edit34->SetText("u");
    form->Edit35->SetText("p");
    form->Edit36->SetText("1");
    form->Button1Click();
    for (int i = 161; i <= 170; ++i) SendQuote(*form, i);
    // Chart1 and Chart3 rebuilt from rows 170 down to 22, of which 161 to 170 hold quotes;
    // Chart2 and Chart4 still append, keeping what they showed before Stop.
    ExpectRows(form->Chart1, 161, 170, Bid, Ask);
    ExpectRows(form->Chart3, 161, 170, BidSize, AskSize);
    EXPECT_EQ(S(form->Chart2, 0).PointCount(), 169);
    EXPECT_DOUBLE_EQ(S(form->Chart2, 0).LowestY(), Bid(2));
    raster::RecordingDevice device(1001, 442);
    form->Chart1->DrawToCanvas(device, {0, 0, 1001, 442});
    EXPECT_GT(form->Chart1->LeftAxis().Minimum(), 1);
    EXPECT_EQ(form->DroppedQuotes.Count(), 0u);

    // A cell that is not a number ends fill_chart and the quote: later charts keep their
    // points and the row gets no news tag run, but the host still gets S_OK and the record is
    // counted as dropped.
    form->StringGrid1->SetCells(3, 170, "12O");
    const int chart4Points = S(form->Chart4, 0).PointCount();
    SendQuote(*form, 171);
    EXPECT_EQ(S(form->Chart1, 0).PointCount(), 11);
    EXPECT_EQ(S(form->Chart3, 0).PointCount(), 1); // cleared, row 171, then row 170 failed
    EXPECT_EQ(S(form->Chart4, 0).PointCount(), chart4Points);
    EXPECT_EQ(FeedCounters.QuoteRows, 171);
    EXPECT_EQ(form->DroppedQuotes.Count(), 1u);
    form->Workers().WaitForWorkers();
    EXPECT_EQ(form->StringGrid1->Cells(8, 171), "");

    // A "20" date that is not a date-time fails the same way; other text (not a quote time of
    // an earlier year either) is the current time.
    form->StringGrid1->SetCells(3, 170, "5");
    form->StringGrid1->SetCells(0, 165, "20xx");
    SendQuote(*form, 172);
    EXPECT_EQ(S(form->Chart1, 0).PointCount(), 172 - 165); // rows 172 down to 166
    EXPECT_EQ(form->DroppedQuotes.Count(), 2u);
    form->StringGrid1->SetCells(0, 165, "1999-01-01 00:00:00");
    form->StringGrid1->SetCells(0, 30, "x");
    const double before = rtl::Now();
    SendQuote(*form, 173);
    // Rows 161 to 173, and row 30; rows 165 and 30 are points now, row 30's with value 0.
    kiv::TChartSeries& bid = S(form->Chart1, 0);
    ASSERT_EQ(bid.PointCount(), 173 - 161 + 2);
    std::multiset<double> now;
    for (int p = 0; p < bid.PointCount(); ++p)
        if (bid.XValues()[p] >= before - 1e-8) now.insert(bid.YValues()[p]);
    EXPECT_EQ(now, (std::multiset<double>{0, Bid(165)}));
    EXPECT_EQ(form->DroppedQuotes.Count(), 2u);
}

// A rebuild leaves each series as appending the rows one by one, newest first, leaves it: grids
// with several quotes in one second, emptied rows, empty cells, a time that is not a date and now
// and then a bad cell, read through the quote grid's cache (twice, the second time from what was
// kept) and straight from another grid's texts.
TEST_F(WindowTest, ARebuildLeavesWhatAppendingTheRowsOneByOneLeaves) {
    auto form = CreatedForm();
    tk::TStringGrid other;
    std::mt19937 rng(18);
    for (int trial = 0; trial < 24; ++trial) {
        tk::TStringGrid* grid = trial % 2 ? form->StringGrid1 : &other;
        const int last = 150 + int(rng() % 200);
        grid->SetColCount(12);
        grid->SetRowCount(last + 1);
        int second = 0;
        for (int r = 1; r <= last; ++r) {
            second += int(rng() % 3 == 0);
            if (rng() % 17 == 0) {
                grid->ClearRow(r);
                continue;
            }
            grid->SetCells(0, r,
                           rtl::FormatDateTime("yyyy.mm.dd hh:mm:ss", kStart + second / 86400.0));
            for (int c = 1; c <= 2; ++c)
                grid->SetCells(c, r, rng() % 9 == 0 ? "" : rtl::IntToStr(int(rng() % 5)) + ".25");
        }
        if (trial % 3 == 0) grid->SetCells(1 + int(rng() % 2), last - int(rng() % 149), "12O");
        if (trial % 4 == 1) grid->SetCells(0, last - int(rng() % 149), "x"); // the current time
        grid->SetCells(3, last, "-"); // the newest row is the one being filled, as in a quote

        kiv::TChartSeries expected[2];
        std::string expectedError;
        try {
            for (int r = last; r > last - 149; --r) {
                if (grid->Cells(0, r).empty()) continue;
                const double x = RowTime(grid->Cells(0, r));
                for (int k = 0; k < 2; ++k)
                    expected[k].AppendPoint(x, CellValue(grid->Cells(1 + k, r)));
            }
        } catch (const std::exception& e) {
            expectedError = e.what();
        }
        for (int pass = 0; pass < 2; ++pass) {
            std::string error;
            try {
                form->fill_chart(form->Chart1, grid, last, 0, 1, 2, -1, -1, "T", 150);
            } catch (const rtl::EConvertError& e) {
                error = e.what();
            }
            EXPECT_EQ(error, expectedError) << trial;
            for (int k = 0; k < 2; ++k) {
                const kiv::TChartSeries& s = S(form->Chart1, k);
                ASSERT_EQ(s.PointCount(), expected[k].PointCount()) << trial << " " << k;
                for (int p = 0; p < s.PointCount(); ++p) {
                    const double x = expected[k].XValues()[p];
                    if (x > kStart + 1) // read at another moment
                        ASSERT_NEAR(s.XValues()[p], x, 1.0 / 24) << trial << " " << p;
                    else
                        ASSERT_EQ(s.XValues()[p], x) << trial << " " << p;
                    ASSERT_EQ(s.YValues()[p], expected[k].YValues()[p]) << trial << " " << p;
                }
                EXPECT_EQ(s.PointColorCount(), s.PointCount());
            }
        }
    }
}
