// Quote rows marked with the economic calendar events of their minute.
#pragma once

#include <string>
#include <string_view>

namespace tk {
class TGridCells;
}

namespace workers {

// The minute of a quote time "yyyy.mm.dd hh:nn:ss": its first 16 characters.
std::string_view NewsKey(std::string_view quoteTime);

// For every event row of the news grid (1 to row count - 1, in order) whose date and time
// equal key: "," + currency + "_" + title. Empty when none matches.
std::string NewsTags(const tk::TGridCells& news, std::string_view key);

} // namespace workers
