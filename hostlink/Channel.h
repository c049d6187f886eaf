// The connections between a desk and the host program: a stream socket (the local Unix socket,
// or TCP with TLS for a desk on another machine) carrying size-prefixed Frames. Both ends use
// them; the host reads and writes without blocking, the desk blocks with deadlines.
#pragma once

#include "hostlink.pb.h"

#include <cstdint>
#include <memory>
#include <string>

typedef struct ssl_st SSL;
typedef struct ssl_ctx_st SSL_CTX;

namespace hostlink {

// Why a call or a connection failed, in the terms both ends use.
enum class Code : int32_t {
    Ok = 0,
    Cancelled = 1,
    Unknown = 2,
    InvalidArgument = 3,
    DeadlineExceeded = 4,
    NotFound = 5,
    ResourceExhausted = 8,
    FailedPrecondition = 9,
    Unimplemented = 12,
    Unavailable = 14,
    Unauthenticated = 16,
};

struct LinkStatus {
    Code code = Code::Ok;
    std::string message;
    bool ok() const { return code == Code::Ok; }
};

// The roles of a desk's two connections (Hello.role).
constexpr uint32_t RoleSession = 1, RoleCalls = 2;
// The largest frame either end accepts: a message of MaxMessageBytes and its envelope.
constexpr size_t MaxFrameBytes = (1 << 20) + 256;
// The host asks a session this often whether its desk lives, and either end gives the other up
// after this long without a frame.
constexpr int PingIntervalMs = 2000;
constexpr int SilenceLimitMs = 3 * PingIntervalMs;

// Appends a frame's wire form to out: its size in 4 bytes (little-endian) and its bytes. False,
// out untouched, when it exceeds MaxFrameBytes.
bool EncodeFrame(const hoxlink::Frame& frame, std::string& out);

// Splits bytes as they arrive into frames.
class FrameParser {
public:
    enum class Result { None, Frame, Malformed, Oversized };
    void Append(const char* data, size_t size) { buffer_.append(data, size); }
    // The next whole frame. A malformed one is skipped (the next may parse); an oversized one
    // leaves the stream unusable.
    Result Next(hoxlink::Frame& frame);
    bool Empty() const { return buffer_.size() == start_; }

private:
    std::string buffer_;
    size_t start_ = 0;
};

// TLS settings of one end, made once from PEM files; raise rtl::Exception naming what could
// not be read or used.
class TlsContext {
public:
    static std::shared_ptr<TlsContext> ForServer(const std::string& certFile,
                                                 const std::string& keyFile);
    // caPem: the authorities the host's certificate must chain to.
    static std::shared_ptr<TlsContext> ForClient(const std::string& caPem);
    ~TlsContext();
    SSL_CTX* Get() const { return ctx_; }

private:
    explicit TlsContext(SSL_CTX* ctx) : ctx_(ctx) {}
    SSL_CTX* ctx_;
};

// One connected socket, plain or TLS. Reads and writes run on one thread at a time (the
// caller's lock), but for Shutdown, which any thread may call to wake them.
class Connection {
public:
    enum class ReadResult { Frame, Timeout, Closed, Malformed, Oversized };

    // Connects to the local socket; on failure, null and the reason.
    static std::unique_ptr<Connection> ConnectLocal(const std::string& path, LinkStatus& failure);
    // Connects to HOST:PORT and completes the TLS handshake, the host's certificate checked
    // against tls and the host's name, within timeoutMs.
    static std::unique_ptr<Connection> ConnectTls(const std::string& address,
                                                  const TlsContext& tls, int timeoutMs,
                                                  LinkStatus& failure);
    // A socket the host accepted; with tls, Accept completes its handshake.
    Connection(int fd, std::shared_ptr<TlsContext> tls);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The server's TLS handshake, within timeoutMs; true for a plain socket.
    bool Accept(int timeoutMs);
    int Fd() const { return fd_; }
    bool Tls() const { return ssl_ != nullptr; }

    // Writes the whole frame, waiting while the socket is full, up to timeoutMs (-1: as long as
    // it takes). False when the connection is gone, the time is up (part of the frame may have
    // gone out: the connection is of no further use) or the frame is too large.
    bool Send(const hoxlink::Frame& frame, int timeoutMs = -1);
    // Writes what the socket takes of data without waiting: the bytes written, 0 when it took
    // none, -1 when the connection is gone.
    long WriteSome(const char* data, size_t size);
    // The next frame, waiting up to timeoutMs (-1: as long as it takes).
    ReadResult Read(hoxlink::Frame& frame, int timeoutMs);
    // Reads what has arrived without waiting; false when the connection is gone.
    bool ReadAvailable();
    // The next frame of what ReadAvailable read.
    FrameParser::Result NextFrame(hoxlink::Frame& frame) { return parser_.Next(frame); }
    // Ends both directions: a read or write under way in another thread returns.
    void Shutdown();

private:
    // Reads once into the parser, waiting up to timeoutMs; 1 read, 0 timed out, -1 gone.
    int ReadOnce(int timeoutMs);
    int fd_;
    std::shared_ptr<TlsContext> tls_;
    SSL* ssl_ = nullptr;
    FrameParser parser_;
};

} // namespace hostlink
