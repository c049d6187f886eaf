// Whole-file reads and writes with clear errors, and the line reader of the 8-bit text files.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace workers {

// Raises rtl::EInOutError (with errno as its code) when the file cannot be opened or read.
std::string ReadWholeFile(const std::string& fileName);

// A file being written: created or truncated on construction; every step raises
// rtl::EInOutError (with errno as its code) when it fails. Destroyed without Close (after an
// error) it closes quietly, keeping what was written.
class TFileWriter {
public:
    explicit TFileWriter(const std::string& fileName);
    TFileWriter(const TFileWriter&) = delete;
    TFileWriter& operator=(const TFileWriter&) = delete;
    ~TFileWriter();

    void Write(std::string_view bytes);
    // Flushes and closes.
    void Close();

private:
    std::string fileName_;
    std::FILE* file_;
};

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
