// Creating objects from registered classes, as a client creates a host program's objects.
#pragma once

#include "com/Types.h"

#include <functional>

namespace com {

class IUnknown;

// Makes a new object and answers the interface asked for (with one reference for the caller).
using ClassFactory = std::function<HRESULT(const IID& iid, void** object)>;

void CoRegisterClass(const CLSID& clsid, ClassFactory factory);
void CoRevokeClass(const CLSID& clsid);
// REGDB_E_CLASSNOTREG for an unknown class, CLASS_E_NOAGGREGATION when outer is set.
HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, const IID& iid,
                         void** object);

} // namespace com
