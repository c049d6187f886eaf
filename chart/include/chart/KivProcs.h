// The chart panel's base: the component base of the engine, the window host a panel draws into,
// the series palette, and TCustomKivPanel / TCustomKivPanelExtended with their margins, 3D
// settings, repaint requests and zoom settings.
#pragma once

#include "chart/KivCanvas.h"
#include "chart/procs/Component.h"
#include "chart/procs/Input.h"
#include "chart/procs/Palette.h"
#include "chart/procs/Panel.h"
#include "chart/procs/PanelExtended.h"
#include "chart/procs/PanelHost.h"
#include "chart/procs/Settings.h"
