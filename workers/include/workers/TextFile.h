// Whole-file reads and writes with clear errors, and the line reader of the 8-bit text files.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace workers {

// Reads a regular file; anything else (a folder, a FIFO, a device) is refused before a byte is
// read, so a FIFO never blocks the reader. Raises rtl::EInOutError with errno as its code (ENOENT
// when the file does not exist).
std::string ReadWholeFile(const std::string& fileName);
// The same, stopping after maxBytes bytes.
std::string ReadFileHead(const std::string& fileName, size_t maxBytes);

// A file being written: created or truncated on construction; every step raises
// rtl::EInOutError (with errno as its code) when it fails. Destroyed without Close (after an
// error) it closes quietly, keeping what was written. An owner-only file is readable and
// writable by its owner alone, also when it existed before with wider rights.
class TFileWriter {
public:
    explicit TFileWriter(const std::string& fileName, bool ownerOnly = false);
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
void WriteWholeFile(const std::string& fileName, std::string_view bytes, bool ownerOnly = false);

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
