// Whole lines from a byte input in bounded memory: a line longer than the limit is passed over
// to its end and reported as too long, never held.
#pragma once

#include "replay/ByteInput.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace replay {

class LineReader {
public:
    enum class Status { Line, TooLong, End };
    static constexpr size_t MaxLine = 64 * 1024;

    explicit LineReader(std::unique_ptr<ByteInput> input);

    // The next line without its line end (LF or CR LF); valid until the next call.
    Status Next(std::string_view& line);
    // Gives the last line again on the next call.
    void Again() { again_ = true; }
    int64_t LineNumber() const { return lineNumber_; }
    // False for a last line that ended without a line end.
    bool Ended() const { return ended_; }
    const ByteInput& Input() const { return *input_; }
    // The input's bytes (of the file: compressed ones for gzip) of the lines handed out, in
    // proportion for gzip: the read-ahead does not count.
    uint64_t Consumed() const;

private:
    bool Fill();

    std::unique_ptr<ByteInput> input_;
    std::vector<char> buffer_;
    size_t begin_ = 0, end_ = 0;
    uint64_t read_ = 0; // bytes the input gave
    bool eof_ = false, again_ = false, ended_ = true;
    std::string_view last_;
    int64_t lineNumber_ = 0;
};

} // namespace replay
