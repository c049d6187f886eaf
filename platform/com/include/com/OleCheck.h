// Turning failed HRESULTs into errors.
#pragma once

#include "com/Types.h"

#include <string>

namespace com {

// The system's text for a result code ("No such interface supported", ...).
std::string SysErrorMessage(HRESULT hr);
// Raises rtl::EOleSysError with the code's text when hr is a failure.
void OleCheck(HRESULT hr);

} // namespace com
