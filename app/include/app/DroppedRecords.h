// Records a data handler could not show. The host is answered S_OK whatever happens, so the
// drops are counted and told on standard error, at most once a second however fast they come.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

class TDroppedRecords {
public:
    using TClock = std::function<std::chrono::steady_clock::time_point()>;

    // kind names the records in the report ("quote"); out receives it.
    explicit TDroppedRecords(std::string kind, TClock clock = std::chrono::steady_clock::now,
                             std::FILE* out = stderr);
    // Tells the drops not told yet.
    ~TDroppedRecords();
    TDroppedRecords(const TDroppedRecords&) = delete;
    TDroppedRecords& operator=(const TDroppedRecords&) = delete;

    // Counts one record dropped for error. The first drop is told at once; later ones are told,
    // with the count since the last report and the latest error, by the first drop a second or
    // more after that report.
    void Drop(const std::string& error);

    uint64_t Count() const { return count_; } // all drops so far

private:
    void Report();

    std::string kind_;
    TClock clock_;
    std::FILE* out_;
    uint64_t count_ = 0;
    uint64_t untold_ = 0;
    std::string lastError_;
    bool reported_ = false;
    std::chrono::steady_clock::time_point lastReport_;
};
