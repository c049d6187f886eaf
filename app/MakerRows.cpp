#include "app/MakerRows.h"

#include <algorithm>

void TMakerRows::Opened(std::string_view mmid, int32_t row) {
    auto found = rows_.find(mmid);
    if (found == rows_.end())
        found = rows_.emplace(std::string(mmid), std::vector<int32_t>{}).first;
    found->second.push_back(row);
}

void TMakerRows::Emptied(int32_t lastRow) {
    rows_.clear();
    emptiedUpTo_ = std::max(lastRow, 0);
}
