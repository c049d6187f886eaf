#include "app/MarketData.h"

#include "FeedCounters.h"
#include "app/DepthLadderWindow.h"
#include "workers/Unit2.h"

#include "com/Bstr.h"
#include "replay/Record.h"
#include "replay/RecordingWriter.h"
#include "rtl/AnsiText.h"
#include "rtl/DateTime.h"
#include "rtl/NumberText.h"

#include <QTimer>

#include <cstdio>

namespace {

std::string Ansi(const char16_t* bstr) {
    return rtl::WideToAnsi(com::BstrView(bstr));
}

// A date-time outside the years 1 to 9999 (or not a number) shows as its number text, so a
// bad time is visible instead of ending the quote.
std::string QuoteTime(double value) {
    if (!rtl::IsValidDateTime(value)) return rtl::FloatToStr(value);
    return rtl::FormatDateTime("yyyy.mm.dd hh:mm:ss", value);
}

} // namespace

com::HRESULT TForm1MarketData::OnQuoteData(hox::QuoteRecord* record) {
    // Errors end the handling of this record and are counted; the host always gets S_OK.
    try {
        if (!record) return com::S_OK;
        const hox::QuoteRecord& q = *record;
        if (Recording) {
            Recording->WriteQuote(q, replay::UnixNowUs());
            RecordingWritten();
        }
        // The 24 edits.
        const char16_t* strings[4] = {q.bstrSymbol, q.bstrMarket, q.bstrCompany, q.bstrUnderlier};
        for (int i = 0; i < 4; ++i) QuoteEdits[i]->SetText(Ansi(strings[i]));
        const double doubles[9] = {q.dLast, q.dBid,  q.dAsk,        q.dPrevClose,  q.dHigh,
                                   q.dLow,  q.dOpen, q.dMarginMult, q.dStrikePrice};
        for (int i = 0; i < 9; ++i) QuoteEdits[4 + i]->SetText(rtl::FloatToStr(doubles[i]));
        const int32_t ints[8] = {q.lBidSize, q.lAskSize,      q.lLastSize, q.lVolume,
                                 q.lFlags,   q.lContractSize, q.lExpMonth, q.lExpYear};
        for (int i = 0; i < 8; ++i) QuoteEdits[13 + i]->SetText(rtl::IntToStr(ints[i]));
        QuoteEdits[21]->SetText(QuoteTime(q.UTCDateTime));
        QuoteEdits[22]->SetText(rtl::UIntToStr(q.tick));
        QuoteEdits[23]->SetText(rtl::UIntToStr(q.putcall));

        // A new row.
        int32_t n = ++FeedCounters.QuoteRows;
        StringGrid1->SetRowCount(n + 1);
        // Its cells. The size difference is taken on 64 bits: two int32 sizes can differ
        // by more than an int32 holds.
        int64_t d = int64_t(q.lAskSize) - int64_t(q.lBidSize);
        StringGrid1->SetCells(0, n, QuoteEdits[21]->Text());
        StringGrid1->SetCells(1, n, QuoteEdits[5]->Text());
        StringGrid1->SetCells(2, n, QuoteEdits[6]->Text());
        StringGrid1->SetCells(3, n, QuoteEdits[13]->Text());
        StringGrid1->SetCells(4, n, QuoteEdits[14]->Text());
        StringGrid1->SetCells(5, n, d > 0 ? rtl::IntToStr(d) : "0");
        StringGrid1->SetCells(6, n, d < 0 ? rtl::IntToStr(d) : "0");
        StringGrid1->SetCells(7, n, QuoteEdits[16]->Text());
        StringGrid1->SetCells(11, n, rtl::IntToStr(n));
        // Show the newest row.
        StringGrid1->SetRow(n);
        StringGrid1->SetCol(0);
        // The tick charts; a cell that reads as no number ends the quote here.
        const std::string& symbol = QuoteEdits[0]->Text();
        fill_chart(Chart1, StringGrid1, n, 0, 1, 2, -1, -1, symbol, 150);
        fill_chart(Chart3, StringGrid1, n, 0, 3, 4, -1, -1, symbol, 150);
        fill_chart(Chart2, StringGrid1, n, 0, 1, 2, -1, -1, symbol, 500);
        fill_chart(Chart4, StringGrid1, n, 0, 6, 5, -1, -1, symbol, 500);
        // The calendar events of this quote's minute go into its own row.
        new TTestThread_3(Workers(), StringGrid1, StringGrid4, n, StringGrid1->Cells(0, n));
    } catch (const std::exception& e) {
        DroppedQuotes.Drop(e.what());
    }
    return com::S_OK;
}

TForm1MarketData::TForm1MarketData() = default;
TForm1MarketData::~TForm1MarketData() = default;

void TForm1MarketData::StartRecording(const std::string& path) {
    auto recording = std::make_unique<replay::RecordingWriter>(path);
    // The header is written at once: a file that takes no bytes fails here, at start.
    if (recording->Failed()) throw replay::ReplayError(recording->Error());
    Recording = std::move(recording);
    if (!RecordingFlush) {
        RecordingFlush = std::make_unique<QTimer>();
        RecordingFlush->setInterval(1000);
        QObject::connect(RecordingFlush.get(), &QTimer::timeout, [this] {
            if (!Recording) return;
            Recording->Flush();
            RecordingWritten();
        });
    }
    RecordingFlush->start();
}

void TForm1MarketData::RecordingWritten() {
    if (!Recording->Failed()) return;
    std::fprintf(stderr, "hoxdesk: %s\n", Recording->Error().c_str());
    Recording.reset();
    RecordingFlush->stop();
}

com::HRESULT TForm1MarketData::OnLevel2Data(hox::Level2Record* record) {
    try {
        if (!record) return com::S_OK;
        const hox::Level2Record& l2 = *record;
        if (Recording) {
            Recording->WriteLevel2(l2, replay::UnixNowUs());
            RecordingWritten();
        }
        if (DepthLadder) DepthLadder->Level2(l2);
        // The "Level II" edits.
        std::string mmid = Ansi(l2.bstrMMID);
        Edit1->SetText(Ansi(l2.bstrSymbol));
        Edit2->SetText(mmid);
        Edit3->SetText(Ansi(l2.bstrSource));
        Edit5->SetText(rtl::IntToStr(l2.lSize));
        Edit6->SetText(rtl::FloatToStr(l2.dPrice));
        Edit7->SetText(rtl::UIntToStr(l2.side));
        Edit8->SetText(l2.bClosed != 0 ? "-1" : "0");
        // The book: side 1 is the bid book, anything else the ask book.
        bool bid = l2.side == 1;
        tk::TStringGrid* book = bid ? StringGrid2 : StringGrid3;
        TMakerRows& makers = bid ? BidMakers : AskMakers;
        int32_t& counter = bid ? FeedCounters.BidRows : FeedCounters.AskRows;
        if (l2.bClosed == 0) {
            // An open entry appends a row.
            int32_t n = ++counter;
            book->SetRowCount(n + 1);
            book->SetCells(0, n, mmid);
            book->SetCells(1, n, rtl::FloatToStr(l2.dPrice));
            book->SetCells(2, n, rtl::IntToStr(l2.lSize));
            book->SetCells(4, n, rtl::IntToStr(n));
            makers.Opened(mmid, n);
        } else {
            // A closed entry marks every earlier row of that market maker in this book. The
            // index hands over the rows that show the MMID; each is checked before it changes.
            makers.Close(mmid, [&](int32_t i) {
                if (i <= counter && book->CellView(0, i) == mmid) book->SetCells(0, i, "CLOSED:");
            });
        }
        // Select the newest row, then repaint both books.
        if (counter >= 1) {
            book->SetRow(counter);
            book->SetCol(0);
        }
        StringGrid2->Repaint();
        StringGrid3->Repaint();
    } catch (const std::exception& e) {
        DroppedLevel2.Drop(e.what());
    }
    return com::S_OK;
}

com::HRESULT TForm1MarketData::OnTSData(hox::TSRecord*) {
    return com::S_OK;
}

com::HRESULT TForm1MarketData::OnOptionsData(hox::OptionsRecord*) {
    return com::S_OK;
}

com::HRESULT TForm1MarketData::QueryInterface(const com::IID& iid, void** object) {
    if (!object) return com::E_POINTER;
    if (iid == com::IID_IUnknown || iid == hox::IID_IHoxQuotesNotify) {
        *object = static_cast<hox::IHoxQuotesNotify*>(this);
        return com::S_OK;
    }
    *object = nullptr;
    return com::E_NOINTERFACE;
}

void TForm1MarketData::EmptyDataGrids() {
    for (tk::TStringGrid* grid : {StringGrid1, StringGrid2, StringGrid3})
        for (int r = 1; r < grid->RowCount(); ++r) grid->ClearRow(r);
    BidMakers.Emptied(FeedCounters.BidRows);
    AskMakers.Emptied(FeedCounters.AskRows);
}
