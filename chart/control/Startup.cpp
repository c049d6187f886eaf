#include "chart/control/Startup.h"

#include "chart/control/SeriesTypes.h"
#include "chart/procs/Input.h"

namespace kiv {

void KivStartup(gfx::ICursorTable& screen) {
    screen.RegisterCursor(crKivHand, gfx::TCursorShape::PointingHand);
}

void KivShutdown(gfx::ICursorTable& screen) {
    screen.UnregisterCursor(crKivHand);
    TKivSeriesTypes::Instance().Clear();
}

} // namespace kiv
