// What the window shows while its host is away: the status bar says so and the quote edits are
// greyed as stale, until quotes flow again.
#pragma once

#include <functional>

class TForm1;
class THOXCOMLibEventsBaseSink;

inline constexpr const char* HostLostText = "Host connection lost, reconnecting...";

// The window's handler of the manager's event 4 (the host went away).
std::function<void(THOXCOMLibEventsBaseSink*)> HostLossHandler(TForm1& form);
