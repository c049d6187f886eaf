#include "LoginFile.h"

#include "rtl/Exceptions.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path, int error) {
    throw rtl::EInOutError(what + " \"" + path + "\": " + std::strerror(error), error);
}

} // namespace

bool ReadLoginFile(const std::string& path, TLoginValues& values) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return false;
        Fail("Cannot open", path, errno);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int error = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        Fail("Cannot read", path, error);
    }
    std::string* lines[3] = {&values.UserName, &values.Password, &values.ClientId};
    for (auto* line : lines) line->clear();
    int current = 0;
    bool afterCR = false;
    char buf[4096];
    while (current < 3) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            ::close(fd);
            Fail("Cannot read", path, error);
        }
        if (n == 0) break;
        for (ssize_t i = 0; i < n && current < 3; ++i) {
            char c = buf[i];
            if (c == '\n') {
                if (!afterCR) ++current; // CR LF ends one line, not two
                afterCR = false;
            } else if (c == '\r') {
                ++current;
                afterCR = true;
            } else {
                afterCR = false;
                if (lines[current]->size() < kMaxLoginLine) *lines[current] += c;
            }
        }
    }
    ::close(fd);
    return true;
}

void WriteLoginFile(const std::string& path, const TLoginValues& values) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) Fail("Cannot create", path, errno);
    // An older file may have been readable by others; it holds a password.
    if (::fchmod(fd, 0600) != 0) {
        int error = errno;
        ::close(fd);
        Fail("Cannot protect", path, error);
    }
    std::string text =
        values.UserName + "\r\n" + values.Password + "\r\n" + values.ClientId + "\r\n";
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            ::close(fd);
            Fail("Cannot write", path, error);
        }
        p += n;
        left -= size_t(n);
    }
    if (::close(fd) != 0) Fail("Cannot write", path, errno);
}
