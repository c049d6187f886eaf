// The chart control: TCustomChart and TChart with their title, foot, walls and legend, the
// mouse, zoom and panning, and the registry of series kinds and functions.
#pragma once

#include "chart/KivEngine.h"
#include "chart/control/Chart.h"
#include "chart/control/ChartBrush.h"
#include "chart/control/ChartFontObject.h"
#include "chart/control/ChartLegend.h"
#include "chart/control/ChartTitle.h"
#include "chart/control/ChartWall.h"
#include "chart/control/CustomChart.h"
#include "chart/control/SeriesTypes.h"
#include "chart/control/Startup.h"
