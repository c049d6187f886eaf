#include "Channel.h"

#include "rtl/Exceptions.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

namespace hostlink {

namespace {

using Clock = std::chrono::steady_clock;

int MillisLeft(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return int(std::max<long>(0, left.count()));
}

std::string TlsErrors() {
    std::string text;
    while (const unsigned long e = ERR_get_error()) {
        char line[256];
        ERR_error_string_n(e, line, sizeof line);
        if (!text.empty()) text += "; ";
        text += line;
    }
    return text.empty() ? "no reason given" : text;
}

void SetTimeouts(int fd, int timeoutMs) {
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

// A TCP connection finds a peer that vanished (a machine switched off, a cable pulled) within
// seconds rather than the system's two hours.
void KeepAlive(int fd) {
    const int on = 1, idle = 2, interval = 1, count = 3, userTimeout = 6000;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
    setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeout, sizeof userTimeout);
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

} // namespace

bool EncodeFrame(const hoxlink::Frame& frame, std::string& out) {
    const size_t size = frame.ByteSizeLong();
    if (size > MaxFrameBytes) return false;
    const size_t start = out.size();
    out.resize(start + 4 + size);
    for (int i = 0; i < 4; ++i) out[start + size_t(i)] = char((size >> (8 * i)) & 0xFF);
    frame.SerializeWithCachedSizesToArray(reinterpret_cast<uint8_t*>(out.data() + start + 4));
    return true;
}

FrameParser::Result FrameParser::Next(hoxlink::Frame& frame) {
    const size_t available = buffer_.size() - start_;
    if (available < 4) return Result::None;
    const auto* head = reinterpret_cast<const uint8_t*>(buffer_.data() + start_);
    const size_t size = size_t(head[0]) | size_t(head[1]) << 8 | size_t(head[2]) << 16 |
                        size_t(head[3]) << 24;
    if (size > MaxFrameBytes) return Result::Oversized;
    if (available < 4 + size) return Result::None;
    const bool parsed = frame.ParseFromArray(head + 4, int(size));
    start_ += 4 + size;
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    } else if (start_ > (1 << 16)) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    return parsed ? Result::Frame : Result::Malformed;
}

TlsContext::~TlsContext() {
    SSL_CTX_free(ctx_);
}

namespace {

SSL_CTX* NewContext(const SSL_METHOD* method) {
    // A peer that vanished mid-write must not end the program: a write to it fails instead.
    // Plain sockets say so per call; TLS writes go through the system's write.
    struct sigaction old {};
    if (sigaction(SIGPIPE, nullptr, &old) == 0 && old.sa_handler == SIG_DFL)
        std::signal(SIGPIPE, SIG_IGN);
    SSL_CTX* ctx = SSL_CTX_new(method);
    if (!ctx) throw rtl::Exception("Cannot set up TLS: " + TlsErrors());
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    return ctx;
}

} // namespace

std::shared_ptr<TlsContext> TlsContext::ForServer(const std::string& certFile,
                                                  const std::string& keyFile) {
    std::shared_ptr<TlsContext> tls(new TlsContext(NewContext(TLS_server_method())));
    if (SSL_CTX_use_certificate_chain_file(tls->ctx_, certFile.c_str()) != 1)
        throw rtl::Exception("Cannot read the TLS certificate " + certFile + ": " + TlsErrors());
    if (SSL_CTX_use_PrivateKey_file(tls->ctx_, keyFile.c_str(), SSL_FILETYPE_PEM) != 1)
        throw rtl::Exception("Cannot read the TLS key " + keyFile + ": " + TlsErrors());
    if (SSL_CTX_check_private_key(tls->ctx_) != 1)
        throw rtl::Exception("The TLS key " + keyFile + " does not match the certificate " +
                             certFile);
    return tls;
}

std::shared_ptr<TlsContext> TlsContext::ForClient(const std::string& caPem) {
    std::shared_ptr<TlsContext> tls(new TlsContext(NewContext(TLS_client_method())));
    BIO* bio = BIO_new_mem_buf(caPem.data(), int(caPem.size()));
    X509_STORE* store = SSL_CTX_get_cert_store(tls->ctx_);
    int added = 0;
    while (X509* cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr)) {
        added += X509_STORE_add_cert(store, cert);
        X509_free(cert);
    }
    BIO_free(bio);
    ERR_clear_error(); // the end of the PEM text
    if (!added) throw rtl::Exception("No certificate among the TLS authorities");
    SSL_CTX_set_verify(tls->ctx_, SSL_VERIFY_PEER, nullptr);
    return tls;
}

Connection::Connection(int fd, std::shared_ptr<TlsContext> tls) : fd_(fd), tls_(std::move(tls)) {
    if (tls_) {
        ssl_ = SSL_new(tls_->Get());
        SSL_set_fd(ssl_, fd_);
    }
}

Connection::~Connection() {
    if (ssl_) SSL_free(ssl_);
    close(fd_);
}

std::unique_ptr<Connection> Connection::ConnectLocal(const std::string& path, LinkStatus& failure) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        failure = {Code::Unavailable, "the socket path is too long"};
        return nullptr;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        failure = {Code::Unavailable, std::strerror(errno)};
        return nullptr;
    }
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        failure = {Code::Unavailable, std::strerror(errno)};
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<Connection>(new Connection(fd, nullptr));
}

std::unique_ptr<Connection> Connection::ConnectTls(const std::string& address,
                                                   const TlsContext& tls, int timeoutMs,
                                                   LinkStatus& failure) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const size_t colon = address.rfind(':');
    std::string host = colon == std::string::npos ? address : address.substr(0, colon);
    const std::string port = colon == std::string::npos ? "" : address.substr(colon + 1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (port.empty() || getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || !found) {
        failure = {Code::Unavailable, "cannot resolve " + address};
        return nullptr;
    }
    int fd = -1;
    std::string why = "no address";
    for (addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) continue;
        if (connect(fd, a->ai_addr, a->ai_addrlen) != 0 && errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            int error = ETIMEDOUT;
            socklen_t length = sizeof error;
            if (poll(&p, 1, MillisLeft(deadline)) == 1)
                getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
            errno = error;
        }
        if (errno && errno != EINPROGRESS) {
            why = std::strerror(errno);
            close(fd);
            fd = -1;
        }
    }
    freeaddrinfo(found);
    if (fd < 0) {
        failure = {Code::Unavailable, why};
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    KeepAlive(fd);
    std::unique_ptr<Connection> connection(new Connection(fd, nullptr));
    connection->ssl_ = SSL_new(tls.Get());
    SSL* ssl = connection->ssl_;
    SSL_set_fd(ssl, fd);
    // The certificate must name the host as the desk names it: its address or its name.
    in6_addr ip{};
    const bool numeric = inet_pton(AF_INET, host.c_str(), &ip) == 1 ||
                         inet_pton(AF_INET6, host.c_str(), &ip) == 1;
    if (numeric) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str());
    } else {
        SSL_set_tlsext_host_name(ssl, host.c_str());
        SSL_set1_host(ssl, host.c_str());
    }
    SetTimeouts(fd, std::max(1, MillisLeft(deadline)));
    ERR_clear_error();
    if (SSL_connect(ssl) != 1) {
        const long verified = SSL_get_verify_result(ssl);
        failure = {Code::Unavailable,
                   "TLS handshake failed: " +
                       (verified != X509_V_OK
                            ? std::string(X509_verify_cert_error_string(verified))
                            : TlsErrors())};
        return nullptr;
    }
    SetTimeouts(fd, 0);
    return connection;
}

bool Connection::Accept(int timeoutMs) {
    if (!ssl_) return true;
    SetTimeouts(fd_, timeoutMs);
    ERR_clear_error();
    const bool accepted = SSL_accept(ssl_) == 1;
    ERR_clear_error();
    SetTimeouts(fd_, 0);
    return accepted;
}

long Connection::WriteSome(const char* data, size_t size) {
    if (size == 0) return 0;
    if (ssl_) {
        ERR_clear_error();
        const int n = SSL_write(ssl_, data, int(std::min<size_t>(size, 1 << 20)));
        if (n > 0) return n;
        const int error = SSL_get_error(ssl_, n);
        return error == SSL_ERROR_WANT_WRITE || error == SSL_ERROR_WANT_READ ? 0 : -1;
    }
    for (;;) {
        const ssize_t n = send(fd_, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) return long(n);
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    }
}

bool Connection::Send(const hoxlink::Frame& frame, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    std::string bytes;
    if (!EncodeFrame(frame, bytes)) return false;
    size_t sent = 0;
    while (sent < bytes.size()) {
        const long n = WriteSome(bytes.data() + sent, bytes.size() - sent);
        if (n < 0) return false;
        sent += size_t(n);
        if (n == 0) {
            if (timeoutMs >= 0 && Clock::now() >= deadline) return false;
            const int wait = timeoutMs < 0 ? 1000 : std::min(1000, MillisLeft(deadline));
            pollfd p{fd_, short(POLLOUT | (ssl_ ? POLLIN : 0)), 0};
            if (poll(&p, 1, wait) < 0 && errno != EINTR) return false;
            if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) return false;
        }
    }
    return true;
}

int Connection::ReadOnce(int timeoutMs) {
    if (!(ssl_ && SSL_pending(ssl_) > 0)) {
        pollfd p{fd_, POLLIN, 0};
        const int ready = poll(&p, 1, timeoutMs);
        if (ready < 0) return errno == EINTR ? 0 : -1;
        if (ready == 0) return 0;
    }
    char chunk[1 << 14];
    if (ssl_) {
        ERR_clear_error();
        const int n = SSL_read(ssl_, chunk, sizeof chunk);
        if (n > 0) {
            parser_.Append(chunk, size_t(n));
            return 1;
        }
        const int error = SSL_get_error(ssl_, n);
        return error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE ? 0 : -1;
    }
    for (;;) {
        const ssize_t n = recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            parser_.Append(chunk, size_t(n));
            return 1;
        }
        if (n == 0) return -1;
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK ? 0 : -1;
    }
}

Connection::ReadResult Connection::Read(hoxlink::Frame& frame, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, timeoutMs));
    for (;;) {
        switch (parser_.Next(frame)) {
        case FrameParser::Result::Frame: return ReadResult::Frame;
        case FrameParser::Result::Malformed: return ReadResult::Malformed;
        case FrameParser::Result::Oversized: return ReadResult::Oversized;
        case FrameParser::Result::None: break;
        }
        const int wait = timeoutMs < 0 ? -1 : MillisLeft(deadline);
        const int read = ReadOnce(wait);
        if (read < 0) return ReadResult::Closed;
        if (read == 0 && timeoutMs >= 0 && Clock::now() >= deadline) return ReadResult::Timeout;
    }
}

bool Connection::ReadAvailable() {
    // A bounded number of reads, so a peer that floods the socket cannot hold the reader.
    for (int i = 0; i < 64; ++i) {
        const int read = ReadOnce(0);
        if (read < 0) return false;
        if (read == 0) return true;
    }
    return true;
}

void Connection::Shutdown() {
    ::shutdown(fd_, SHUT_RDWR);
}

} // namespace hostlink
