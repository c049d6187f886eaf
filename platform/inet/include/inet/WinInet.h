// The handle-based HTTP client the calendar download is written against: open a session, open
// a URL, read the body in pieces, close the handles. A URL handle holds the whole answer: the
// transfer runs to its end inside InternetOpenUrlA, so a failure anywhere in the transfer (no
// connection, an HTTP error status, a time-out, a connection dropped mid-body, a body over the
// cap) makes InternetOpenUrlA return null and no partial body is ever handed out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace inet {

using HINTERNET = void*;

constexpr uint32_t INTERNET_OPEN_TYPE_PRECONFIG = 0;
constexpr uint32_t INTERNET_FLAG_RELOAD = 0x80000000;

// Bounds of one transfer. The body cap sits far above any week's calendar (a few tens of KiB)
// and keeps a runaway answer from exhausting memory.
struct TInternetLimits {
    long ConnectTimeoutMs = 10000;
    long TotalTimeoutMs = 30000;
    size_t MaxBodyBytes = 8u << 20;
};

// Limits that new sessions start with; process-wide.
void SetDefaultInternetLimits(const TInternetLimits& limits);
TInternetLimits DefaultInternetLimits();

// A session; null when the HTTP library cannot be initialised. The access type selects the
// system's proxy settings (the usual proxy variables), loopback addresses never use a proxy.
HINTERNET InternetOpenA(const char* agent, uint32_t accessType, const char* proxy,
                        const char* proxyBypass, uint32_t flags);

// Limits of a session, taken by the URLs opened after the call. False for a bad handle.
bool InternetSetLimits(HINTERNET session, const TInternetLimits& limits);

// A check that the session's transfers make every few tens of milliseconds; when it answers
// true the transfer stops and fails, so a closing program need not wait out the time-outs.
bool InternetSetCancelCheck(HINTERNET session, std::function<bool()> cancelled);

// Fetches the URL (http or https only) with the session's agent and limits; null on any
// failure. Extra headers, flags and context are accepted for the caller's shape; caching does
// not exist here, so every fetch goes to the server.
HINTERNET InternetOpenUrlA(HINTERNET session, const char* url, const char* headers,
                           uint32_t headersLength, uint32_t flags, uintptr_t context);

// Copies up to count bytes of the body into buffer; bytesRead is 0 at the end of the body.
// False (and bytesRead 0) for a bad handle or buffer.
bool InternetReadFile(HINTERNET request, void* buffer, uint32_t count, uint32_t* bytesRead);

// Releases a session or URL handle; false for a null handle.
bool InternetCloseHandle(HINTERNET handle);

// What made the last InternetOpenA / InternetOpenUrlA on this thread fail ("" after success).
std::string InternetLastError();

} // namespace inet
