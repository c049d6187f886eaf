// Whole-file reads and writes with clear errors, and the line reader of the 8-bit text files.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace workers {

// Raises rtl::EInOutError (with errno as its code) when the file cannot be opened or read.
std::string ReadWholeFile(const std::string& fileName);

// Creates or truncates the file and writes the bytes as they stand. Raises rtl::EInOutError
// when the file cannot be created, written, flushed or closed.
void WriteWholeFile(const std::string& fileName, std::string_view bytes);

// Lines of a text: a line ends at LF, CR LF or a lone CR; a last line without an end counts.
class TLineReader {
public:
    explicit TLineReader(std::string_view text) : text_(text) {}

    // False at the end of the text.
    bool Next(std::string_view& line);
    size_t Remaining() const { return text_.size() - pos_; }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

} // namespace workers
