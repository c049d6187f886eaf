// Writes the records that reach the desk to a recording: CSV text, one record a line, under a
// header naming the format's version and the columns of each kind (see README). A name ending
// in ".gz" writes gzip. Only whole lines reach the file, and what was written is flushed at least
// once a second, so after a crash or a full disk the file reads back up to its last whole line.
#pragma once

#include "HOXQUOTELib_TLB.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace replay {

class RecordingWriter {
public:
    // Creates or replaces the file; raises ReplayError when it cannot.
    explicit RecordingWriter(std::string path);
    ~RecordingWriter();
    RecordingWriter(const RecordingWriter&) = delete;
    RecordingWriter& operator=(const RecordingWriter&) = delete;

    // arrivalUs: microseconds since 1970 UTC when the record reached the desk.
    void WriteQuote(const hox::QuoteRecord& record, int64_t arrivalUs);
    void WriteLevel2(const hox::Level2Record& record, int64_t arrivalUs);
    // Hands the pending lines to the file. A write flushes by itself once a second has passed
    // since the last flush; an owner that may go quiet calls this from a one-second timer too.
    void Flush();
    // After a failed write the recording stops; the file keeps its whole lines.
    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }

private:
    void Written();

    std::string path_;
    bool gzip_;
    int fd_ = -1;
    void* gz_ = nullptr;
    uint64_t committed_ = 0; // bytes of whole lines in a plain file
    std::string pending_;
    std::string error_;
    std::chrono::steady_clock::time_point lastFlush_;
};

// Microseconds since 1970 UTC now, the arrival time of a record that reaches the desk.
int64_t UnixNowUs();

} // namespace replay
