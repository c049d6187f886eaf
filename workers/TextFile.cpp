#include "workers/TextFile.h"

#include "rtl/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace workers {
namespace {

[[noreturn]] void Fail(const char* what, const std::string& fileName, int error) {
    if (error == 0) error = EIO;
    throw rtl::EInOutError(std::string(what) + " \"" + fileName + "\": " + std::strerror(error),
                           error);
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) : fd_(other.Release()) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

// Opened without blocking, so that a FIFO with no writer cannot hold the caller, and checked to
// be a regular file before anything is read.
Descriptor OpenRegularFile(const std::string& fileName) {
    Descriptor fd(::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0) Fail("Cannot open file", fileName, errno);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) Fail("Cannot read file", fileName, errno);
    if (S_ISDIR(st.st_mode)) Fail("Cannot read file", fileName, EISDIR);
    if (!S_ISREG(st.st_mode))
        throw rtl::EInOutError("Cannot read file \"" + fileName + "\": not a regular file", EINVAL);
    return fd;
}

std::string ReadUpTo(const std::string& fileName, size_t maxBytes) {
    Descriptor fd = OpenRegularFile(fileName);
    std::string bytes;
    char buffer[1 << 16];
    while (bytes.size() < maxBytes) {
        const ssize_t n =
            ::read(fd.Get(), buffer, std::min(sizeof buffer, maxBytes - bytes.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail("Cannot read file", fileName, errno);
        if (n == 0) break;
        bytes.append(buffer, size_t(n));
    }
    return bytes;
}

} // namespace

std::string ReadWholeFile(const std::string& fileName) {
    return ReadUpTo(fileName, std::string().max_size());
}

std::string ReadFileHead(const std::string& fileName, size_t maxBytes) {
    return ReadUpTo(fileName, maxBytes);
}

TFileWriter::TFileWriter(const std::string& fileName, bool ownerOnly) : fileName_(fileName) {
    Descriptor fd(::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC,
                         ownerOnly ? 0600 : 0666));
    if (fd.Get() < 0) Fail("Cannot create file", fileName, errno);
    if (ownerOnly && ::fchmod(fd.Get(), 0600) != 0) Fail("Cannot protect file", fileName, errno);
    file_ = ::fdopen(fd.Get(), "wb");
    if (!file_) Fail("Cannot create file", fileName, errno);
    fd.Release();
}

TFileWriter::~TFileWriter() {
    if (file_) std::fclose(file_);
}

void TFileWriter::Write(std::string_view bytes) {
    if (!file_) Fail("Cannot write file", fileName_, EBADF);
    errno = 0;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        Fail("Cannot write file", fileName_, errno);
}

void TFileWriter::Close() {
    if (!file_) return;
    errno = 0;
    const bool flushed = std::fflush(file_) == 0;
    const int flushError = errno;
    errno = 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed) Fail("Cannot write file", fileName_, flushError);
    if (!closed) Fail("Cannot close file", fileName_, errno);
}

void WriteWholeFile(const std::string& fileName, std::string_view bytes, bool ownerOnly) {
    TFileWriter file(fileName, ownerOnly);
    file.Write(bytes);
    file.Close();
}

bool TLineReader::Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const size_t end = text_.find_first_of("\r\n", pos_);
    if (end == std::string_view::npos) {
        line = text_.substr(pos_);
        pos_ = text_.size();
        return true;
    }
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
    return true;
}

} // namespace workers
