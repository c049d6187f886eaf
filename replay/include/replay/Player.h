// Paces a replay: the records of one or more files in the order of their arrival times (files
// merged), each due when its gap to the previous one, divided by the speed, has passed on the
// clock. Pause, resume and a jump to a time steer it. It never blocks: its owner waits until
// DueAt() and takes the record.
#pragma once

#include "replay/Readers.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace replay {

struct PlayOptions {
    double speed = 1.0; // gaps are divided by this
    bool asFastAsPossible = false;
    bool loop = false; // start over at the end, the first record right after the last
};

class Player {
public:
    using Opener = std::function<std::unique_ptr<RecordReader>()>;
    using Clock = std::function<int64_t()>; // microseconds, steady

    // Opens every file at once, so that a bad one is known before the replay starts (raises
    // ReplayError). A file whose data turns out damaged later ends there, told on the log.
    Player(std::vector<Opener> files, PlayOptions options, Clock now, std::ostream& log);
    static std::vector<Opener> FileOpeners(const std::vector<std::string>& paths,
                                           const ReaderOptions& options, std::ostream& log);

    // The clock time at which the next record is due; none while paused or at the end.
    std::optional<int64_t> DueAt();
    // The next record when it is due; false otherwise.
    bool Take(Record& out);
    bool Ended();

    void Pause();
    void Resume();
    bool Paused() const { return paused_; }
    // Goes on from the first record at or after the time (microseconds since 1970), at once.
    void JumpTo(int64_t recordUs);

    // The arrival time of the record taken last, 0 before the first.
    int64_t PositionUs() const { return positionUs_; }
    // Of the bytes of all files, those read, in percent.
    double Percent() const;
    // Malformed lines skipped so far, in all passes.
    int64_t Skipped() const;

private:
    struct File {
        std::unique_ptr<RecordReader> reader;
        Record head;
        bool has = false;
    };
    void Open();
    void Advance(File& file);
    File* Earliest();

    std::vector<Opener> openers_;
    std::vector<File> files_;
    PlayOptions options_;
    Clock now_;
    std::ostream& log_;
    bool started_ = false, paused_ = false, played_ = false;
    int64_t anchorClock_ = 0, anchorRecord_ = 0, pausedAt_ = 0;
    int64_t positionUs_ = 0, lastDue_ = 0, skippedBefore_ = 0;
};

} // namespace replay
