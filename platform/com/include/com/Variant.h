// Automation arguments: the variant types the event sink and the host exchange.
#pragma once

#include "com/Bstr.h"
#include "com/Types.h"

namespace com {

class IUnknown;
class IDispatch;

using VARTYPE = uint16_t;
constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_BSTR = 8;
constexpr VARTYPE VT_DISPATCH = 9;
constexpr VARTYPE VT_BOOL = 11;
constexpr VARTYPE VT_UNKNOWN = 13;
constexpr VARTYPE VT_UI4 = 19;

struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    union {
        int32_t lVal;
        uint32_t ulVal;
        VARIANT_BOOL boolVal;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
    };
    VARIANT() : ulVal(0) {}
};
using VARIANTARG = VARIANT;

// Releases what the variant owns (a BSTR, an interface reference) and empties it.
void VariantClear(VARIANT& v);
VARIANT MakeI4(int32_t value);
VARIANT MakeUnknown(IUnknown* value); // adds a reference

struct DISPPARAMS {
    VARIANTARG* rgvarg = nullptr;        // arguments, last first
    DISPID* rgdispidNamedArgs = nullptr; // dispatch ids of the first cNamedArgs arguments
    UINT cArgs = 0;
    UINT cNamedArgs = 0;
};

struct EXCEPINFO {
    WORD wCode = 0;
    BSTR bstrSource = nullptr;
    BSTR bstrDescription = nullptr;
    HRESULT scode = 0;
};

} // namespace com
