#include "toolkit/bitmap/Stream.h"

#include "rtl/Exceptions.h"
#include "rtl/Format.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace tk {

int64_t TStream::Size() {
    int64_t position = Position();
    int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(position, TSeekOrigin::soBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count < 0 || (count != 0 && Read(buffer, count) != count))
        throw rtl::EInOutError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    errno = 0;
    if (count < 0 || (count != 0 && Write(buffer, count) != count))
        throw rtl::EInOutError("Stream write error", errno ? errno : EIO); // ENOSPC, say
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    int64_t available = Size() - position_;
    if (count <= 0 || available <= 0) return 0;
    int64_t n = std::min(count, available);
    std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    int64_t end = position_ + count;
    if (end > Size()) bytes_.resize(static_cast<size_t>(end));
    std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(count));
    position_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == TSeekOrigin::soBeginning ? 0
                   : origin == TSeekOrigin::soCurrent ? position_
                                                      : Size();
    if (offset < -base) throw rtl::EInOutError("Stream seek error");
    position_ = base + offset;
    return position_;
}

void TMemoryStream::SetSize(int64_t size) {
    if (size < 0) throw rtl::EInOutError("Stream write error");
    bytes_.resize(static_cast<size_t>(size));
    position_ = std::min(position_, size);
}

void TMemoryStream::Clear() {
    bytes_.clear();
    position_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, TFileMode::fmOpenRead);
    int64_t size = file.Size();
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.ReadBuffer(bytes.data(), size);
    bytes_ = std::move(bytes);
    position_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
    TFileStream file(fileName, TFileMode::fmCreate);
    file.WriteBuffer(bytes_.data(), static_cast<int64_t>(bytes_.size()));
}

TFileStream::TFileStream(const std::string& fileName, TFileMode mode) : fileName_(fileName) {
    bool create = mode == TFileMode::fmCreate;
    file_ = std::fopen(fileName.c_str(), create ? "wb" : "rb");
    // A folder opens for reading on this system but holds no bytes: refuse it like a file
    // that cannot be opened.
    struct stat info {};
    if (file_ && fstat(fileno(file_), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file_);
        file_ = nullptr;
        errno = EISDIR;
    }
    if (!file_) {
        int error = errno;
        throw rtl::EInOutError(
            rtl::Format(create ? "Cannot create file \"%s\". %s" : "Cannot open file \"%s\". %s",
                        {fileName, std::strerror(error)}),
            error);
    }
}

TFileStream::~TFileStream() {
    std::fclose(file_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0) return 0;
    return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    size_t written = std::fwrite(buffer, 1, static_cast<size_t>(count), file_);
    // Flush now so that a full disk shows as a short write here, not silently at close.
    if (std::fflush(file_) != 0) return 0;
    return static_cast<int64_t>(written);
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                 : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                    : SEEK_END;
    if (fseeko(file_, static_cast<off_t>(offset), whence) != 0)
        throw rtl::EInOutError("Stream seek error", errno);
    return static_cast<int64_t>(ftello(file_));
}

} // namespace tk
