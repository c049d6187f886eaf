// The chart engine's core: value lists, the series base class with its points, colours and
// labels, marks, functions, the axes, and the panel that holds series and axes together
// (TCustomAxisPanel).
#pragma once

#include "chart/KivCanvas.h"
#include "chart/KivConst.h"
#include "chart/KivProcs.h"
#include "chart/engine/Axis.h"
#include "chart/engine/AxisPanel.h"
#include "chart/engine/AxisTitle.h"
#include "chart/engine/DateTimeSteps.h"
#include "chart/engine/Function.h"
#include "chart/engine/Marks.h"
#include "chart/engine/SampleRandom.h"
#include "chart/engine/Series.h"
#include "chart/engine/SeriesList.h"
#include "chart/engine/Settings.h"
#include "chart/engine/ValueList.h"
