#include "TextFile.h"

#include "rtl/Exceptions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace workers {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void Fail(const char* what, const std::string& fileName, int error) {
    if (error == 0) error = EIO;
    throw rtl::EInOutError(std::string(what) + " \"" + fileName + "\": " + std::strerror(error),
                           error);
}

} // namespace

std::string ReadWholeFile(const std::string& fileName) {
    errno = 0;
    File f(std::fopen(fileName.c_str(), "rb"));
    if (!f) Fail("Cannot open file", fileName, errno);
    std::string bytes;
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) bytes.append(buffer, n);
    if (std::ferror(f.get())) Fail("Cannot read file", fileName, errno);
    return bytes;
}

TFileWriter::TFileWriter(const std::string& fileName) : fileName_(fileName) {
    errno = 0;
    file_ = std::fopen(fileName.c_str(), "wb");
    if (!file_) Fail("Cannot create file", fileName, errno);
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

void WriteWholeFile(const std::string& fileName, std::string_view bytes) {
    TFileWriter file(fileName);
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
