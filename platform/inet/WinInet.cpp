#include "inet/WinInet.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace inet {
namespace {

struct Session {
    std::string Agent;
    TInternetLimits Limits;
    std::function<bool()> Cancelled;
};

struct Request {
    std::string Body;
    size_t Position = 0;
};

// Handles are looked up before use, so a closed or foreign handle is refused instead of
// being dereferenced.
struct HandleTable {
    std::mutex Lock;
    std::unordered_map<void*, std::unique_ptr<Session>> Sessions;
    std::unordered_map<void*, std::unique_ptr<Request>> Requests;
    TInternetLimits Defaults;
};

HandleTable& Table() {
    static HandleTable table;
    return table;
}

thread_local std::string lastError;

bool GlobalInit() {
    static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ok;
}

struct Sink {
    std::string* Body;
    size_t Max;
    bool OverCap = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t n = size * count;
    if (sink->Body->size() + n > sink->Max) {
        sink->OverCap = true;
        return 0; // aborts the transfer with a write error
    }
    sink->Body->append(data, n);
    return n;
}

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};

struct MultiDeleter {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};

// How long a cancelled transfer may go on before it notices. The library's own progress
// function comes only about once a second while the server is silent.
constexpr int CancelPollMs = 20;

// Runs the transfer, asking cancelled between waits of at most CancelPollMs.
CURLcode PerformCancellable(CURL* c, const std::function<bool()>& cancelled) {
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), c) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
    CURLcode rc = CURLE_OK;
    for (int running = 1; running > 0;) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            rc = CURLE_RECV_ERROR;
            break;
        }
        bool stop = true;
        try {
            stop = cancelled();
        } catch (...) {
        }
        if (running > 0 && stop) {
            rc = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        if (running > 0 &&
            curl_multi_poll(multi.get(), nullptr, 0, CancelPollMs, nullptr) != CURLM_OK) {
            rc = CURLE_RECV_ERROR;
            break;
        }
    }
    if (rc == CURLE_OK) {
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi.get(), &left))
            if (msg->msg == CURLMSG_DONE) rc = msg->data.result;
    }
    curl_multi_remove_handle(multi.get(), c);
    return rc;
}

bool Fetch(const Session& session, const char* url, std::string& body) {
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        lastError = "cannot create a transfer";
        return false;
    }
    Sink sink{&body, session.Limits.MaxBodyBytes};
    char errorText[CURL_ERROR_SIZE] = {};
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url);
    curl_easy_setopt(c, CURLOPT_USERAGENT, session.Agent.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_NOPROXY, "127.0.0.1,localhost,::1");
    curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, session.Limits.ConnectTimeoutMs);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, session.Limits.TotalTimeoutMs);
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(session.Limits.MaxBodyBytes));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    const CURLcode rc =
        session.Cancelled ? PerformCancellable(c, session.Cancelled) : curl_easy_perform(c);
    if (rc == CURLE_OK) return true;
    body.clear();
    if (rc == CURLE_ABORTED_BY_CALLBACK)
        lastError = "the transfer was cancelled";
    else if (sink.OverCap || rc == CURLE_FILESIZE_EXCEEDED)
        lastError =
            "the answer is larger than " + std::to_string(session.Limits.MaxBodyBytes) + " bytes";
    else
        lastError = errorText[0] ? errorText : curl_easy_strerror(rc);
    return false;
}

} // namespace

void SetDefaultInternetLimits(const TInternetLimits& limits) {
    auto& t = Table();
    std::lock_guard lock(t.Lock);
    t.Defaults = limits;
}

TInternetLimits DefaultInternetLimits() {
    auto& t = Table();
    std::lock_guard lock(t.Lock);
    return t.Defaults;
}

HINTERNET InternetOpenA(const char* agent, uint32_t, const char*, const char*, uint32_t) {
    if (!GlobalInit()) {
        lastError = "the HTTP library cannot be initialised";
        return nullptr;
    }
    auto session = std::make_unique<Session>();
    session->Agent = agent ? agent : "";
    auto& t = Table();
    std::lock_guard lock(t.Lock);
    session->Limits = t.Defaults;
    void* handle = session.get();
    t.Sessions.emplace(handle, std::move(session));
    lastError.clear();
    return handle;
}

bool InternetSetLimits(HINTERNET session, const TInternetLimits& limits) {
    auto& t = Table();
    std::lock_guard lock(t.Lock);
    auto it = t.Sessions.find(session);
    if (it == t.Sessions.end()) return false;
    it->second->Limits = limits;
    return true;
}

bool InternetSetCancelCheck(HINTERNET session, std::function<bool()> cancelled) {
    auto& t = Table();
    std::lock_guard lock(t.Lock);
    auto it = t.Sessions.find(session);
    if (it == t.Sessions.end()) return false;
    it->second->Cancelled = std::move(cancelled);
    return true;
}

HINTERNET InternetOpenUrlA(HINTERNET session, const char* url, const char*, uint32_t, uint32_t,
                           uintptr_t) {
    Session copy;
    {
        auto& t = Table();
        std::lock_guard lock(t.Lock);
        auto it = t.Sessions.find(session);
        if (it == t.Sessions.end()) {
            lastError = "not a session handle";
            return nullptr;
        }
        copy = *it->second;
    }
    if (!url || !*url) {
        lastError = "no URL";
        return nullptr;
    }
    auto request = std::make_unique<Request>();
    if (!Fetch(copy, url, request->Body)) return nullptr;
    auto& t = Table();
    std::lock_guard lock(t.Lock);
    void* handle = request.get();
    t.Requests.emplace(handle, std::move(request));
    lastError.clear();
    return handle;
}

bool InternetReadFile(HINTERNET request, void* buffer, uint32_t count, uint32_t* bytesRead) {
    if (bytesRead) *bytesRead = 0;
    if (!bytesRead || (!buffer && count > 0)) return false;
    auto& t = Table();
    std::lock_guard lock(t.Lock);
    auto it = t.Requests.find(request);
    if (it == t.Requests.end()) return false;
    Request& r = *it->second;
    const size_t n = std::min<size_t>(count, r.Body.size() - r.Position);
    if (n > 0) std::memcpy(buffer, r.Body.data() + r.Position, n);
    r.Position += n;
    *bytesRead = static_cast<uint32_t>(n);
    return true;
}

bool InternetCloseHandle(HINTERNET handle) {
    auto& t = Table();
    std::unique_ptr<Request> request;
    std::unique_ptr<Session> session;
    std::lock_guard lock(t.Lock);
    if (auto it = t.Requests.find(handle); it != t.Requests.end()) {
        request = std::move(it->second);
        t.Requests.erase(it);
        return true;
    }
    if (auto it = t.Sessions.find(handle); it != t.Sessions.end()) {
        session = std::move(it->second);
        t.Sessions.erase(it);
        return true;
    }
    return false;
}

std::string InternetLastError() {
    return lastError;
}

} // namespace inet
