// The market data handlers: quote and Level 2 records from the host into the edits, the grid
// rows and the tick charts. The window is the host's notify object through them.
#pragma once

#include "app/DroppedRecords.h"
#include "app/FillChart.h"
#include "app/MakerRows.h"

#include "HOXCOMLib_TLB.h"

#include <memory>
#include <string>

class QTimer;
class TDepthLadderWindow;
namespace replay {
class RecordingWriter;
}

class TForm1MarketData : public TForm1Charts, public hox::IHoxQuotesNotify {
public:
    TForm1MarketData();
    ~TForm1MarketData() override;

    // IHoxQuotesNotify. The window is not reference counted through it. The data handlers
    // always answer S_OK; a record they cannot show is counted in DroppedQuotes or DroppedLevel2.
    com::HRESULT QueryInterface(const com::IID& iid, void** object) override;
    com::ULONG AddRef() override { return 2; }
    com::ULONG Release() override { return 1; }
    com::HRESULT OnQuoteData(hox::QuoteRecord* record) override;
    com::HRESULT OnLevel2Data(hox::Level2Record* record) override;
    com::HRESULT OnTSData(hox::TSRecord* record) override;
    com::HRESULT OnOptionsData(hox::OptionsRecord* record) override;

    TDroppedRecords DroppedQuotes{"quote"};
    TDroppedRecords DroppedLevel2{"Level 2"};
    // The depth ladder's window (F3), fed with every Level 2 record before the books.
    std::unique_ptr<TDepthLadderWindow> DepthLadder;

    // From now on every quote and Level 2 record that reaches the window is written to a
    // recording at the path (".gz": gzip) with its arrival time before the window uses it; the
    // file is flushed at least once a second and closed with the window. Raises an exception
    // saying why when the file cannot be created. A later write failure is told once on
    // standard error and ends the recording; the window goes on.
    void StartRecording(const std::string& path);

protected:
    // Empties rows 1 and on of the quote grid and of both books; the row counters go on.
    void EmptyDataGrids();

private:
    // The rows of each Level 2 book that still show their market maker.
    TMakerRows BidMakers;
    TMakerRows AskMakers;
    // The recording (--record), none when null; its timer flushes a recording gone quiet.
    std::unique_ptr<replay::RecordingWriter> Recording;
    std::unique_ptr<QTimer> RecordingFlush;
    void RecordingWritten();
};
