#include "app/FeedCounters.h"

TFeedCounters FeedCounters;
