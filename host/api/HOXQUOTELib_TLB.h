// The quote type library of the trading host: the records it hands to the client and the
// quote service with its notify interface. Client and host both compile against this header;
// nothing else of the host is visible to the client.
#pragma once

#include "com/Bstr.h"
#include "com/Unknown.h"

namespace hox {

using com::BSTR;
using com::HRESULT;

struct QuoteRecord {
    BSTR bstrSymbol;
    BSTR bstrMarket;
    BSTR bstrCompany;
    BSTR bstrUnderlier;
    double dLast;
    double dBid;
    double dAsk;
    double dPrevClose;
    double dHigh;
    double dLow;
    double dOpen;
    double dMarginMult;
    double dStrikePrice;
    int32_t lBidSize;
    int32_t lAskSize;
    int32_t lLastSize;
    int32_t lVolume;
    int32_t lFlags;
    int32_t lContractSize;
    int32_t lExpMonth;
    int32_t lExpYear;
    double UTCDateTime;
    uint32_t tick;
    uint32_t putcall;
};

struct Level2Record {
    BSTR bstrSymbol;
    BSTR bstrMMID;
    BSTR bstrSource;
    int32_t lSize;
    double dPrice;
    uint32_t side;             // 1 = bid
    com::VARIANT_BOOL bClosed; // non-zero = closed
    double UTCTime;
};

// Time-and-sales and option records; the client reads neither.
struct TSRecord;
struct OptionsRecord;

// {6D1C2A40-5B7E-4C1A-9E2F-0A1B2C3D4E01}
constexpr com::IID IID_IHoxQuotesNotify{
    0x6D1C2A40, 0x5B7E, 0x4C1A, {0x9E, 0x2F, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x01}};
// {6D1C2A40-5B7E-4C1A-9E2F-0A1B2C3D4E02}
constexpr com::IID IID_IHoxQuotes{
    0x6D1C2A40, 0x5B7E, 0x4C1A, {0x9E, 0x2F, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x02}};

// Implemented by the client; the host calls it on the client's window thread.
class IHoxQuotesNotify : public com::IUnknown {
public:
    virtual HRESULT OnQuoteData(QuoteRecord* record) = 0;
    virtual HRESULT OnLevel2Data(Level2Record* record) = 0;
    virtual HRESULT OnTSData(TSRecord* record) = 0;
    virtual HRESULT OnOptionsData(OptionsRecord* record) = 0;

protected:
    ~IHoxQuotesNotify() = default;
};

class IHoxQuotes : public com::IDispatch {
public:
    // Records for the symbol then arrive on the notify object; kind 1 brings Level 2
    // records, kind 2 quote records.
    virtual HRESULT Subscribe(IHoxQuotesNotify* notify, BSTR symbol, int32_t kind) = 0;
    // No further records reach that notify object.
    virtual HRESULT Unsubscribe(IHoxQuotesNotify* notify) = 0;

protected:
    ~IHoxQuotes() = default;
};

} // namespace hox

template <> struct com::InterfaceId<hox::IHoxQuotesNotify> {
    static constexpr const IID& value = hox::IID_IHoxQuotesNotify;
};
template <> struct com::InterfaceId<hox::IHoxQuotes> {
    static constexpr const IID& value = hox::IID_IHoxQuotes;
};
