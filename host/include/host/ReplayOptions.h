// The replay's command line options, the same for the host program and the desk's embedded host.
#pragma once

#include "host/RecordSource.h"
#include "replay/Player.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hostsim {

struct ReplayOptions {
    std::vector<std::string> files; // none: no replay
    replay::PlayOptions play;
    std::optional<int64_t> from; // microseconds since 1970 UTC
    bool paused = false;         // serve nothing until resumed
    replay::ReaderOptions reading;
};

// Their lines of a program's usage text.
extern const char* const ReplayUsage;

// Takes the replay option at argv[i] with its values and leaves i at its last value; false when
// argv[i] is no replay option. Raises rtl::EConvertError for a missing or bad value.
bool ParseReplayOption(int argc, char** argv, int& i, ReplayOptions& options);

// Opens the files (raises replay::ReplayError when one cannot be replayed) and makes the source
// that replays them, started at the options' time. The log hears the layouts, the malformed
// lines and the end.
std::unique_ptr<RecordSource> OpenReplay(const ReplayOptions& options, std::ostream& log);

} // namespace hostsim
