// The series kinds: the pointer, connected points (line, point and area series), bars (vertical
// and horizontal), the fast line, the pie, and candles with the function that builds them.
#pragma once

#include "chart/KivEngine.h"
#include "chart/series/BarSeries.h"
#include "chart/series/Candle.h"
#include "chart/series/CandleFunction.h"
#include "chart/series/ChartTools.h"
#include "chart/series/Circled.h"
#include "chart/series/CustomSeries.h"
#include "chart/series/FastLine.h"
#include "chart/series/LinePen.h"
#include "chart/series/LineSeries.h"
#include "chart/series/Pie.h"
#include "chart/series/SeriesGeometry.h"
#include "chart/series/SeriesPointer.h"
#include "chart/series/SeriesRegistration.h"
