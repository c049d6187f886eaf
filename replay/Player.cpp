#include "replay/Player.h"

#include <ostream>

namespace replay {

Player::Player(std::vector<Opener> files, PlayOptions options, Clock now, std::ostream& log)
    : openers_(std::move(files)), options_(options), now_(std::move(now)), log_(log) {
    if (!options_.asFastAsPossible && !(options_.speed > 0))
        throw ReplayError("the speed must be above 0");
    Open();
}

std::vector<Player::Opener> Player::FileOpeners(const std::vector<std::string>& paths,
                                                const ReaderOptions& options, std::ostream& log) {
    std::vector<Opener> openers;
    for (const std::string& path : paths)
        openers.push_back([path, options, &log] { return OpenReader(path, options, log); });
    return openers;
}

void Player::Open() {
    for (const File& file : files_) skippedBefore_ += file.reader->Skipped();
    files_.clear();
    files_.resize(openers_.size());
    for (size_t i = 0; i < openers_.size(); ++i) {
        files_[i].reader = openers_[i]();
        Advance(files_[i]);
    }
}

void Player::Advance(File& file) {
    try {
        file.has = file.reader->Next(file.head);
    } catch (const ReplayError& e) {
        log_ << e.what() << '\n';
        file.has = false;
    }
}

Player::File* Player::Earliest() {
    File* best = nullptr;
    for (File& file : files_)
        if (file.has && (!best || file.head.arrivalUs < best->head.arrivalUs)) best = &file;
    return best;
}

std::optional<int64_t> Player::DueAt() {
    File* next = Earliest();
    if (!next && options_.loop && played_) {
        Open();
        next = Earliest();
        if (next) { // the new pass starts right after the last record
            anchorClock_ = lastDue_;
            anchorRecord_ = next->head.arrivalUs;
        }
    }
    if (!next || paused_) return std::nullopt;
    const int64_t now = now_();
    if (!started_) {
        started_ = true;
        anchorClock_ = now;
        anchorRecord_ = next->head.arrivalUs;
    }
    if (options_.asFastAsPossible) return now;
    return anchorClock_ + int64_t(double(next->head.arrivalUs - anchorRecord_) / options_.speed);
}

bool Player::Take(Record& out) {
    const auto due = DueAt();
    if (!due || *due > now_()) return false;
    File& file = *Earliest();
    std::swap(out, file.head);
    positionUs_ = out.arrivalUs;
    lastDue_ = *due;
    played_ = true;
    Advance(file);
    return true;
}

bool Player::Ended() {
    return !Earliest() && !(options_.loop && played_);
}

void Player::Pause() {
    if (paused_) return;
    paused_ = true;
    pausedAt_ = now_();
}

void Player::Resume() {
    if (!paused_) return;
    paused_ = false;
    anchorClock_ += now_() - pausedAt_;
}

void Player::JumpTo(int64_t recordUs) {
    File* next = Earliest();
    if (!next || recordUs <= positionUs_) {
        Open(); // back: read again from the start
        next = Earliest();
    }
    while (next && next->head.arrivalUs < recordUs) {
        positionUs_ = next->head.arrivalUs;
        Advance(*next);
        next = Earliest();
    }
    started_ = true;
    anchorClock_ = pausedAt_ = now_();
    if (next) anchorRecord_ = next->head.arrivalUs;
}

double Player::Percent() const {
    uint64_t consumed = 0, size = 0;
    for (const File& file : files_) {
        size += file.reader->Size();
        consumed += file.has ? file.reader->Consumed() : file.reader->Size();
    }
    return size == 0 ? 100.0 : 100.0 * double(consumed) / double(size);
}

int64_t Player::Skipped() const {
    int64_t skipped = skippedBefore_;
    for (const File& file : files_) skipped += file.reader->Skipped();
    return skipped;
}

} // namespace replay
