#include "replay/ByteInput.h"

#include "replay/Record.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace replay {

namespace {

// zlib reads gzip members and plain files alike.
class FileInput final : public ByteInput {
public:
    FileInput(gzFile file, std::string path, uint64_t size)
        : file_(file), path_(std::move(path)), size_(size) {}
    ~FileInput() override { gzclose(file_); }

    size_t Read(char* buffer, size_t size) override {
        const int got = gzread(file_, buffer, unsigned(size));
        if (got > 0) return size_t(got); // the bytes before damage first; the error comes next
        int code = Z_OK;
        const char* message = gzerror(file_, &code);
        if (got < 0 || (code != Z_OK && code != Z_STREAM_END))
            throw ReplayError(path_ + ": damaged or truncated compressed data (" + message + ")");
        return 0;
    }
    uint64_t Consumed() const override { return uint64_t(std::max<z_off_t>(gzoffset(file_), 0)); }
    uint64_t Size() const override { return size_; }

private:
    gzFile file_;
    std::string path_;
    uint64_t size_;
};

class Memory final : public ByteInput {
public:
    explicit Memory(std::string bytes) : bytes_(std::move(bytes)) {}
    size_t Read(char* buffer, size_t size) override {
        const size_t n = std::min(size, bytes_.size() - at_);
        std::memcpy(buffer, bytes_.data() + at_, n);
        at_ += n;
        return n;
    }
    uint64_t Consumed() const override { return at_; }
    uint64_t Size() const override { return bytes_.size(); }

private:
    std::string bytes_;
    size_t at_ = 0;
};

} // namespace

std::unique_ptr<ByteInput> OpenFileInput(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        throw ReplayError(path + ": cannot open (" + std::strerror(errno) + ")");
    if (S_ISDIR(st.st_mode)) throw ReplayError(path + ": is a folder, not a file");
    gzFile file = gzopen(path.c_str(), "rb");
    if (!file) throw ReplayError(path + ": cannot open (" + std::strerror(errno) + ")");
    gzbuffer(file, 1 << 17);
    return std::make_unique<FileInput>(file, path, uint64_t(st.st_size));
}

std::unique_ptr<ByteInput> MemoryInput(std::string bytes) {
    return std::make_unique<Memory>(std::move(bytes));
}

} // namespace replay
