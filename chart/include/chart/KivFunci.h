// The functions a series can carry to compute its points from one or more source series: add,
// subtract, multiply, divide, high, low and average.
#pragma once

#include "chart/KivEngine.h"
#include "chart/functions/Add.h"
#include "chart/functions/Average.h"
#include "chart/functions/Extremes.h"
#include "chart/functions/ManySeries.h"
