// The worker threads of the main window, one header each: the calendar download
// (TTestThread_1), the save run (TTestThread_2) and the news tags of a quote (TTestThread_3).
#pragma once

#include "workers/DownloadThread.h"
#include "workers/NewsTagsThread.h"
#include "workers/SaveThread.h"
