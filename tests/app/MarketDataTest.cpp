#include "AppTestEnv.h"

#include "FeedCounters.h"
#include "app/DroppedRecords.h"
#include "com/Bstr.h"
#include "replay/Readers.h"
#include "replay/RecordingWriter.h"
#include "rtl/DateTime.h"
#include "rtl/NumberText.h"

#include <QTest>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

using hostsim::HostControl;

namespace {

struct Level2 {
    com::Bstr symbol{u"EUR/USD"}, mmid, source{u"ECN"};
    hox::Level2Record r{};
    Level2(const char16_t* maker, uint32_t side, int16_t closed, double price = 1.0834,
           int32_t size = 100)
        : mmid(maker) {
        r.bstrSymbol = symbol.get();
        r.bstrMMID = mmid.get();
        r.bstrSource = source.get();
        r.side = side;
        r.bClosed = closed;
        r.dPrice = price;
        r.lSize = size;
    }
};

} // namespace

TEST_F(WindowTest, AQuoteFillsTheEditsAndAppendsARow) {
    auto form = CreatedForm();
    Quote q;
    q.r.tick = 0x80000001u; // top bit set: still a positive number
    EXPECT_EQ(form->OnQuoteData(&q.r), com::S_OK);
    EXPECT_EQ(form->Edit(10)->Text(), "EUR/USD");
    EXPECT_EQ(form->Edit(15)->Text(), "1.08345");
    EXPECT_EQ(form->Edit(23)->Text(), "500");
    EXPECT_EQ(form->Edit(31)->Text(), "2026.12.04 14:30:05");
    EXPECT_EQ(form->Edit(32)->Text(), "2147483649");
    EXPECT_EQ(FeedCounters.QuoteRows, 1);
    const char* row[12] = {"2026.12.04 14:30:05",
                           "1.08345",
                           "1.0836",
                           "500",
                           "200",
                           "0",
                           "-300",
                           "12345",
                           "",
                           "",
                           "",
                           "1"};
    for (int c = 0; c < 12; ++c) EXPECT_EQ(form->StringGrid1->Cells(c, 1), row[c]) << c;
    EXPECT_EQ(form->StringGrid1->Row(), 1);

    q.r.lAskSize = 500; // equal sizes: both columns "0"
    q.r.UTCDateTime = 0;
    form->OnQuoteData(&q.r);
    EXPECT_EQ(form->StringGrid1->Cells(0, 2), "1899.12.30 00:00:00");
    EXPECT_EQ(form->StringGrid1->Cells(5, 2), "0");
    EXPECT_EQ(form->StringGrid1->Cells(6, 2), "0");
    EXPECT_EQ(form->StringGrid1->Cells(11, 2), "2");
    EXPECT_EQ(form->StringGrid1->Row(), 2);
}

TEST_F(WindowTest, ExtremeQuoteValuesNeverEndTheRow) {
    auto form = CreatedForm();
    Quote q;
    q.r.lBidSize = std::numeric_limits<int32_t>::min();
    q.r.lAskSize = std::numeric_limits<int32_t>::max();
    q.r.dBid = std::nan("");
    q.r.dAsk = -HUGE_VAL;
    q.r.UTCDateTime = HUGE_VAL;
    std::u16string longName(100000, u'\u4E2D');
    com::Bstr wideSymbol(longName);
    q.r.bstrSymbol = wideSymbol.get();
    q.r.bstrMarket = nullptr; // a null wide string reads as empty
    form->OnQuoteData(&q.r);
    EXPECT_EQ(form->StringGrid1->Cells(5, 1),
              "4294967295"); // the true difference, not a wrapped one
    EXPECT_EQ(form->StringGrid1->Cells(6, 1), "0");
    EXPECT_EQ(form->StringGrid1->Cells(1, 1), "NAN");
    EXPECT_EQ(form->StringGrid1->Cells(2, 1), "-INF");
    EXPECT_EQ(form->StringGrid1->Cells(0, 1), "INF");
    EXPECT_EQ(form->Edit(11)->Text(), "");
    EXPECT_EQ(form->Edit(10)->Text().substr(0, 3), "???");
    q.r.lBidSize = std::numeric_limits<int32_t>::max();
    q.r.lAskSize = std::numeric_limits<int32_t>::min();
    form->OnQuoteData(&q.r);
    EXPECT_EQ(form->StringGrid1->Cells(6, 2), "-4294967295");
    // Noon of 1 January of year 1 is a date, not a number.
    q.r.UTCDateTime = rtl::MinDateTime - 0.5;
    form->OnQuoteData(&q.r);
    EXPECT_EQ(form->StringGrid1->Cells(0, 3), "0001.01.01 12:00:00");
    EXPECT_EQ(form->OnQuoteData(nullptr), com::S_OK);
    EXPECT_EQ(FeedCounters.QuoteRows, 3);
}

TEST_F(WindowTest, Level2BooksAppendAndCloseMarketMakersPerSide) {
    auto form = CreatedForm();
    Level2 a1(u"A", 1, 0, 1.0831, 100), b(u"B", 1, 0, 1.0831, 200), a2(u"A", 1, 0, 1.0830, 300);
    for (Level2* l : {&a1, &b, &a2}) EXPECT_EQ(form->OnLevel2Data(&l->r), com::S_OK);
    EXPECT_EQ(form->StringGrid2->Cells(0, 1), "A");
    EXPECT_EQ(form->StringGrid2->Cells(0, 2), "B");
    EXPECT_EQ(form->StringGrid2->Cells(1, 2), "1.0831"); // same price stays two rows
    EXPECT_EQ(form->StringGrid2->Cells(2, 3), "300");
    EXPECT_EQ(form->StringGrid2->Cells(4, 3), "3");
    EXPECT_EQ(form->Edit(8)->Text(), "0");

    Level2 askA(u"A", 0, 0), askOther(u"A", 2, 0);
    form->OnLevel2Data(&askA.r);
    form->OnLevel2Data(&askOther.r); // any side but 1 is the ask book
    EXPECT_EQ(FeedCounters.AskRows, 2);

    Level2 closeBidA(u"A", 1, 1);
    form->OnLevel2Data(&closeBidA.r);
    EXPECT_EQ(form->StringGrid2->Cells(0, 1), "CLOSED:");
    EXPECT_EQ(form->StringGrid2->Cells(0, 2), "B");
    EXPECT_EQ(form->StringGrid2->Cells(0, 3), "CLOSED:");
    EXPECT_EQ(form->StringGrid2->Cells(1, 3), "1.083"); // other cells stay
    EXPECT_EQ(form->StringGrid3->Cells(0, 1), "A");     // the ask book is untouched
    EXPECT_EQ(form->Edit(8)->Text(), "-1");
    EXPECT_EQ(FeedCounters.BidRows, 3);
    EXPECT_EQ(form->StringGrid2->Row(), 3);

    Level2 closeAskA(u"A", 0, -1), closeNobody(u"a", 0, 2);
    form->OnLevel2Data(&closeNobody.r); // matching is exact: "a" is not "A"
    EXPECT_EQ(form->StringGrid3->Cells(0, 1), "A");
    form->OnLevel2Data(&closeAskA.r);
    EXPECT_EQ(form->StringGrid3->Cells(0, 1), "CLOSED:");
    EXPECT_EQ(form->StringGrid3->Cells(0, 2), "CLOSED:");
    EXPECT_EQ(form->Edit(8)->Text(), "-1");
    EXPECT_EQ(form->Edit(9)->Text(), "");
}

// Closing follows the rule of the book's own cells (every row 1 to the counter whose MMID is
// the maker's becomes "CLOSED:") through repeated makers, the empty MMID, a maker named
// "CLOSED:", both books and Stop, which empties the rows but keeps the counters.
TEST_F(WindowTest, ClosingMarksExactlyTheRowsThatShowTheMaker) {
    auto form = CreatedForm();
    std::vector<std::string> model[2] = {{""}, {""}}; // column 0 of the ask and bid books
    const char16_t* makers[] = {u"GSCO", u"MSCO", u"", u"CLOSED:", u"gsco"};
    const std::string ansi[] = {"GSCO", "MSCO", "", "CLOSED:", "gsco"};
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t below) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % below;
    };
    auto expectBooks = [&](int step) {
        for (int side = 0; side < 2; ++side) {
            tk::TStringGrid* grid = side == 1 ? form->StringGrid2 : form->StringGrid3;
            for (size_t i = 1; i < model[side].size(); ++i)
                ASSERT_EQ(grid->Cells(0, int(i)), model[side][i])
                    << "step " << step << " side " << side << " row " << i;
        }
    };
    for (int step = 0; step < 600; ++step) {
        if (step % 150 == 100) {
            form->Button2Click();
            for (auto& book : model) std::fill(book.begin() + 1, book.end(), "");
            continue;
        }
        const uint32_t maker = next(5), side = next(3);
        const bool close = next(3) == 0;
        Level2 l2(makers[maker], side, close ? -1 : 0);
        form->OnLevel2Data(&l2.r);
        std::vector<std::string>& book = model[side == 1];
        if (!close) {
            book.push_back(ansi[maker]);
            continue;
        }
        for (size_t i = 1; i < book.size(); ++i)
            if (book[i] == ansi[maker]) book[i] = "CLOSED:";
        ASSERT_NO_FATAL_FAILURE(expectBooks(step));
    }
    EXPECT_EQ(FeedCounters.BidRows + 1, int(model[1].size()));
    EXPECT_EQ(FeedCounters.AskRows + 1, int(model[0].size()));
}

// Time and option records change nothing; a closed record on an empty book is harmless.
TEST_F(WindowTest, RecordsThatAddNoRowAreHarmless) {
    auto form = CreatedForm();
    EXPECT_EQ(form->OnTSData(nullptr), com::S_OK);
    EXPECT_EQ(form->OnOptionsData(nullptr), com::S_OK);
    EXPECT_EQ(form->StringGrid1->RowCount(), 2);
    EXPECT_EQ(FeedCounters.QuoteRows, 0);
    Level2 close(u"GSCO", 1, 1);
    close.r.bstrMMID = nullptr;
    close.r.dPrice = std::nan("");
    close.r.lSize = -5;
    EXPECT_EQ(form->OnLevel2Data(&close.r), com::S_OK);
    EXPECT_EQ(form->Edit(6)->Text(), "NAN");
    EXPECT_EQ(form->Edit(5)->Text(), "-5");
    EXPECT_EQ(FeedCounters.BidRows, 0);
    EXPECT_EQ(form->OnLevel2Data(nullptr), com::S_OK);
}

TEST_F(WindowTest, TheSimulatedFeedFillsBothTabs) {
    auto form = CreatedForm();
    form->Edit34->SetText("u");
    form->Edit35->SetText("p");
    form->Edit36->SetText("1");
    form->Button1Click();
    EXPECT_EQ(HostControl::DeliverNext(hostsim::FeedKind::Quote, 20), 20);
    EXPECT_EQ(HostControl::DeliverNext(hostsim::FeedKind::Level2, 40), 40);
    EXPECT_EQ(FeedCounters.QuoteRows, 20);
    EXPECT_EQ(form->StringGrid1->Row(), 20);
    EXPECT_EQ(form->StringGrid1->Cells(0, 20).substr(0, 2), "20");
    // The host's makers open entries and close only entries they hold: both books got rows,
    // every close marked at least one of them, and each row carries its number.
    const int opened = FeedCounters.BidRows + FeedCounters.AskRows;
    EXPECT_GT(FeedCounters.BidRows, 0);
    EXPECT_GT(FeedCounters.AskRows, 0);
    int closedRows = 0;
    for (tk::TStringGrid* book : {form->StringGrid2, form->StringGrid3}) {
        for (int r = 1; r < book->RowCount(); ++r) {
            EXPECT_EQ(book->Cells(4, r), std::to_string(r));
            EXPECT_EQ(book->Cells(1, r).substr(0, 3), "1.0") << r;
            closedRows += book->Cells(0, r) == "CLOSED:";
        }
    }
    EXPECT_LT(opened, 40);
    EXPECT_GE(closedRows, 40 - opened);
}

// With a recording every record that reaches the window is written before the window uses it,
// with its arrival time, and reads back with the fields the window showed; a recording gone
// quiet is flushed by the timer.
TEST_F(WindowTest, ARecordingHoldsEveryRecordThatReachedTheWindow) {
    auto form = CreatedForm();
    const std::string path = workDir + "/session.csv.gz";
    form->StartRecording(path);
    form->Edit34->SetText("u");
    form->Edit35->SetText("p");
    form->Edit36->SetText("1");
    form->Button1Click();
    const int64_t before = replay::UnixNowUs();
    EXPECT_EQ(HostControl::DeliverNext(hostsim::FeedKind::Quote, 5), 5);
    EXPECT_EQ(HostControl::DeliverNext(hostsim::FeedKind::Level2, 8), 8);
    const int64_t after = replay::UnixNowUs();
    // No further record comes: the timer hands the lines to the file within about a second.
    std::ostringstream log;
    std::vector<replay::Record> records;
    const auto readBack = [&] {
        records.clear();
        // The gzip stream has no end yet: its whole lines read back, then the reader says so.
        try {
            auto reader = replay::OpenReader(path, {}, log);
            for (replay::Record r; reader->Next(r);) records.push_back(r);
        } catch (const replay::ReplayError&) {
        }
    };
    for (int wait = 0; wait < 40 && records.size() < 13; ++wait) {
        QTest::qWait(100);
        readBack();
    }
    ASSERT_EQ(records.size(), 13u) << log.str();
    int quote = 0, bidRow = 0, askRow = 0;
    for (const replay::Record& r : records) {
        EXPECT_GE(r.arrivalUs, before);
        EXPECT_LE(r.arrivalUs, after);
        if (r.kind == replay::RecordKind::Quote) {
            ++quote;
            EXPECT_EQ(r.text[0], u"EUR/USD");
            const double bidAsk[2] = {r.quote.dBid, r.quote.dAsk};
            for (int c = 0; c < 2; ++c)
                EXPECT_EQ(form->StringGrid1->Cells(1 + c, quote), rtl::FloatToStr(bidAsk[c]));
            EXPECT_EQ(form->StringGrid1->Cells(3, quote), rtl::IntToStr(r.quote.lBidSize));
            EXPECT_EQ(form->StringGrid1->Cells(7, quote), rtl::IntToStr(r.quote.lVolume));
            continue;
        }
        const hox::Level2Record& l2 = r.level2;
        if (l2.bClosed) continue;
        const int row = l2.side == 1 ? ++bidRow : ++askRow;
        tk::TStringGrid* book = l2.side == 1 ? form->StringGrid2 : form->StringGrid3;
        EXPECT_EQ(book->Cells(1, row), rtl::FloatToStr(l2.dPrice));
        EXPECT_EQ(book->Cells(2, row), rtl::IntToStr(l2.lSize));
    }
    EXPECT_EQ(quote, 5);
    EXPECT_EQ(bidRow, FeedCounters.BidRows);
    EXPECT_EQ(askRow, FeedCounters.AskRows);
    // Every field of the last quote, as its edits show them.
    const replay::Record* last = nullptr;
    for (const replay::Record& r : records)
        if (r.kind == replay::RecordKind::Quote) last = &r;
    const hox::QuoteRecord& q = last->quote;
    const double doubles[9] = {q.dLast, q.dBid,  q.dAsk,        q.dPrevClose,  q.dHigh,
                               q.dLow,  q.dOpen, q.dMarginMult, q.dStrikePrice};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(form->Edit(14 + i)->Text(), rtl::FloatToStr(doubles[i]));
    const int32_t ints[8] = {q.lBidSize, q.lAskSize,      q.lLastSize, q.lVolume,
                             q.lFlags,   q.lContractSize, q.lExpMonth, q.lExpYear};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(form->Edit(23 + i)->Text(), rtl::IntToStr(ints[i]));
    EXPECT_EQ(form->Edit(31)->Text(), rtl::FormatDateTime("yyyy.mm.dd hh:mm:ss", q.UTCDateTime));
    EXPECT_EQ(form->Edit(32)->Text(), rtl::UIntToStr(q.tick));
    // The last Level 2 record, as the "Level II" edits show it.
    const hox::Level2Record& l2 = records.back().level2;
    ASSERT_EQ(records.back().kind, replay::RecordKind::Level2);
    EXPECT_EQ(form->Edit(6)->Text(), rtl::FloatToStr(l2.dPrice));
    EXPECT_EQ(form->Edit(5)->Text(), rtl::IntToStr(l2.lSize));
    EXPECT_EQ(form->Edit(7)->Text(), rtl::UIntToStr(l2.side));
    EXPECT_EQ(form->Edit(2)->Text(),
              std::string(records.back().text[1].begin(), records.back().text[1].end()));
}

// The handlers answer S_OK even for a record they cannot show; the drops are counted and told
// on standard error at most once a second, with the count since the last report and the
// latest error. What is left untold is told when the window goes.
TEST(DroppedRecords, AreCountedAndToldAtMostOnceASecond) {
    using namespace std::chrono_literals;
    std::chrono::steady_clock::time_point now{};
    char* bytes = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&bytes, &size);
    ASSERT_NE(out, nullptr);
    {
        TDroppedRecords drops(
            "quote", [&] { return now; }, out);
        drops.Drop("bad 1"); // the first is told at once
        now += 400ms;
        drops.Drop("bad 2");
        now += 599ms;
        drops.Drop("bad 3"); // 999 ms after the report
        now += 1ms;
        drops.Drop("bad 4");
        now += 5s;
        drops.Drop("bad 5");
        drops.Drop("bad 6");
        drops.Drop("bad 7");
        EXPECT_EQ(drops.Count(), 7u);
    }
    std::fclose(out);
    const std::string told(bytes, size);
    std::free(bytes);
    EXPECT_EQ(told, "hoxdesk: dropped 1 quote record (last: bad 1)\n"
                    "hoxdesk: dropped 3 quote records (last: bad 4)\n"
                    "hoxdesk: dropped 1 quote record (last: bad 5)\n"
                    "hoxdesk: dropped 2 quote records (last: bad 7)\n");
}
