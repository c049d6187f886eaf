#include "app/DroppedRecords.h"

#include <utility>

TDroppedRecords::TDroppedRecords(std::string kind, TClock clock, std::FILE* out)
    : kind_(std::move(kind)), clock_(std::move(clock)), out_(out) {}

TDroppedRecords::~TDroppedRecords() {
    if (untold_ > 0) Report();
}

void TDroppedRecords::Drop(const std::string& error) {
    ++count_;
    ++untold_;
    lastError_ = error;
    const auto now = clock_();
    if (reported_ && now - lastReport_ < std::chrono::seconds(1)) return;
    lastReport_ = now;
    reported_ = true;
    Report();
}

void TDroppedRecords::Report() {
    std::fprintf(out_, "hoxdesk: dropped %llu %s record%s (last: %s)\n",
                 static_cast<unsigned long long>(untold_), kind_.c_str(), untold_ == 1 ? "" : "s",
                 lastError_.c_str());
    std::fflush(out_);
    untold_ = 0;
}
