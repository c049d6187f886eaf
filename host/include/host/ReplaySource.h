// A host's market data from recordings and tick files: the player's records, at its pace, to
// the symbols and kinds watched; the others pass by unseen.
#pragma once

#include "host/RecordSource.h"
#include "replay/Player.h"

#include <iosfwd>
#include <memory>

namespace hostsim {

// The log hears when the replay ends and how many malformed lines it skipped.
std::unique_ptr<RecordSource> MakeReplaySource(std::unique_ptr<replay::Player> player,
                                               std::ostream& log);

// Microseconds of the steady clock, the clock of a replay source's player.
int64_t SteadyNowUs();

} // namespace hostsim
