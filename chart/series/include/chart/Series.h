// The series kinds: the pointer, connected points (line, point and area series) and bars
// (vertical and horizontal).
#pragma once

#include "chart/KivEngine.h"
#include "chart/series/BarSeries.h"
#include "chart/series/CustomSeries.h"
#include "chart/series/SeriesGeometry.h"
#include "chart/series/LineSeries.h"
#include "chart/series/SeriesPointer.h"
#include "chart/series/SeriesRegistration.h"
