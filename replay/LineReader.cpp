#include "LineReader.h"

#include <cstring>

namespace replay {

namespace {
constexpr size_t Chunk = 128 * 1024;
}

LineReader::LineReader(std::unique_ptr<ByteInput> input)
    : input_(std::move(input)), buffer_(MaxLine + Chunk) {}

// Moves the unread bytes to the front and reads more behind them; false at the end.
bool LineReader::Fill() {
    if (eof_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    const size_t got = input_->Read(buffer_.data() + end_, buffer_.size() - end_);
    if (got == 0) eof_ = true;
    end_ += got;
    read_ += got;
    return got > 0;
}

uint64_t LineReader::Consumed() const {
    const uint64_t file = input_->Consumed();
    if (read_ == 0) return file;
    const uint64_t waiting = end_ - begin_;
    return uint64_t(double(file) * double(read_ - waiting) / double(read_));
}

LineReader::Status LineReader::Next(std::string_view& line) {
    if (again_) {
        again_ = false;
        line = last_;
        return Status::Line;
    }
    size_t scanned = begin_;
    bool tooLong = false;
    for (;;) {
        const char* start = buffer_.data() + scanned;
        const void* lf = std::memchr(start, '\n', end_ - scanned);
        if (lf) {
            const size_t at = size_t(static_cast<const char*>(lf) - buffer_.data());
            ++lineNumber_;
            ended_ = true;
            if (tooLong || at - begin_ > MaxLine) {
                begin_ = at + 1;
                return Status::TooLong;
            }
            size_t stop = at;
            if (stop > begin_ && buffer_[stop - 1] == '\r') --stop;
            line = last_ = std::string_view(buffer_.data() + begin_, stop - begin_);
            begin_ = at + 1;
            return Status::Line;
        }
        if (end_ - begin_ > MaxLine) {
            // Too long: drop what was read and look for its end.
            tooLong = true;
            begin_ = end_ = 0;
        }
        const size_t before = end_ - begin_; // scanned already; Fill moves it to the front
        if (!Fill()) {
            if (end_ == begin_ && !tooLong) return Status::End;
            ++lineNumber_;
            ended_ = false;
            if (tooLong) {
                begin_ = end_;
                return Status::TooLong;
            }
            line = last_ = std::string_view(buffer_.data() + begin_, end_ - begin_);
            begin_ = end_;
            return Status::Line;
        }
        scanned = before;
    }
}

} // namespace replay
