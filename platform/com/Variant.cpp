#include "com/Variant.h"

#include "com/Unknown.h"

namespace com {

void VariantClear(VARIANT& v) {
    switch (v.vt) {
    case VT_BSTR:
        SysFreeString(v.bstrVal);
        break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
        if (v.punkVal) v.punkVal->Release();
        break;
    default:
        break;
    }
    v.vt = VT_EMPTY;
    v.ulVal = 0;
}

VARIANT MakeI4(int32_t value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT MakeUnknown(IUnknown* value) {
    VARIANT v;
    v.vt = VT_UNKNOWN;
    v.punkVal = value;
    if (value) value->AddRef();
    return v;
}

} // namespace com
