// Turning failed HRESULTs into errors.
#pragma once

#include "com/Types.h"

#include <string>

namespace com {

// The system's text for a result code ("No such interface supported", ...).
std::string SysErrorMessage(HRESULT hr);
// Leaves a description of a failure about to be returned, for the caller's OleCheck: a server
// that knows more than its code says (which host, which versions) says it here.
void SetErrorInfo(HRESULT hr, std::string description);
// Takes the description left for hr on this thread ("" when none, or one for another code).
std::string TakeErrorInfo(HRESULT hr);
// Raises rtl::EOleSysError when hr is a failure, with the description left for it or else the
// code's text.
void OleCheck(HRESULT hr);

} // namespace com
