// Rows appended to the quote history and the two Level 2 books since start-up.
#pragma once

#include <cstdint>

struct TFeedCounters {
    int32_t QuoteRows = 0; // the newest row of StringGrid1
    int32_t BidRows = 0;   // the newest row of StringGrid2
    int32_t AskRows = 0;   // the newest row of StringGrid3
};

// Process-wide; cleared at start-up only, so rows after Stop and Start follow the old ones.
// Read and written on the window thread only.
extern TFeedCounters FeedCounters;
