// Start-up and shutdown of the chart engine: the program calls them once, around its windows.
#pragma once

#include "gfx/Input.h"

namespace kiv {

// Registers the engine's pointing-hand cursor (crKivHand) with the screen.
void KivStartup(gfx::ICursorTable& screen);
// Removes the cursor and empties the registry of series kinds.
void KivShutdown(gfx::ICursorTable& screen);

} // namespace kiv
