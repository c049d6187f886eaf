// The market data handlers: quote and Level 2 records from the host into the edits, the grid
// rows and the tick charts. The window is the host's notify object through them.
#pragma once

#include "app/DroppedRecords.h"
#include "app/FillChart.h"
#include "app/MakerRows.h"

#include "HOXCOMLib_TLB.h"

class TForm1MarketData : public TForm1Charts, public hox::IHoxQuotesNotify {
public:
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

protected:
    // Empties rows 1 and on of the quote grid and of both books; the row counters go on.
    void EmptyDataGrids();

private:
    // The rows of each Level 2 book that still show their market maker.
    TMakerRows BidMakers;
    TMakerRows AskMakers;
};
