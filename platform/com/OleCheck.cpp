#include "com/OleCheck.h"

#include "rtl/Exceptions.h"

#include <cstdio>
#include <utility>

namespace com {

std::string SysErrorMessage(HRESULT hr) {
    switch (hr) {
    case S_OK:
        return "The operation completed successfully";
    case E_NOTIMPL:
        return "Not implemented";
    case E_NOINTERFACE:
        return "No such interface supported";
    case E_POINTER:
        return "Invalid pointer";
    case E_ABORT:
        return "Operation aborted";
    case E_FAIL:
        return "Unspecified error";
    case E_UNEXPECTED:
        return "Catastrophic failure";
    case E_ACCESSDENIED:
        return "Access is denied";
    case E_OUTOFMEMORY:
        return "Not enough memory resources are available to complete this operation";
    case E_INVALIDARG:
        return "The parameter is incorrect";
    case DISP_E_MEMBERNOTFOUND:
        return "Member not found";
    case DISP_E_TYPEMISMATCH:
        return "Type mismatch";
    case DISP_E_EXCEPTION:
        return "Exception occurred";
    case DISP_E_BADPARAMCOUNT:
        return "Invalid number of parameters";
    case CLASS_E_NOAGGREGATION:
        return "Class does not support aggregation (or class object is remote)";
    case REGDB_E_CLASSNOTREG:
        return "Class not registered";
    case CO_E_NOTINITIALIZED:
        return "CoInitialize has not been called";
    case CONNECT_E_NOCONNECTION:
        return "No connection for this cookie";
    case CONNECT_E_ADVISELIMIT:
        return "The connection point has reached its limit of connections";
    case CONNECT_E_CANNOTCONNECT:
        return "The connection point cannot connect to this sink";
    case CO_E_SERVER_EXEC_FAILURE:
        return "Server execution failed";
    case RPC_E_DISCONNECTED:
        return "The object invoked has disconnected from its clients";
    case RPC_E_VERSION_MISMATCH:
        return "The versions of the client and the server do not match";
    case RPC_E_TIMEOUT:
        return "This operation returned because the timeout period expired";
    default: {
        char buf[48];
        std::snprintf(buf, sizeof buf, "Error 0x%08X", static_cast<unsigned>(hr));
        return buf;
    }
    }
}

namespace {

// The description a server left for the last failure it returned on this thread.
struct ErrorInfo {
    HRESULT hr = S_OK;
    std::string text;
};
thread_local ErrorInfo lastError;

} // namespace

void SetErrorInfo(HRESULT hr, std::string description) {
    lastError = {hr, std::move(description)};
}

std::string TakeErrorInfo(HRESULT hr) {
    ErrorInfo info = std::exchange(lastError, {});
    return FAILED(hr) && info.hr == hr ? std::move(info.text) : std::string();
}

void OleCheck(HRESULT hr) {
    if (!FAILED(hr)) return;
    std::string text = TakeErrorInfo(hr);
    throw rtl::EOleSysError(text.empty() ? SysErrorMessage(hr) : text, hr);
}

} // namespace com
