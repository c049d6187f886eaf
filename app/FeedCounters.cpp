#include "FeedCounters.h"

TFeedCounters FeedCounters;
