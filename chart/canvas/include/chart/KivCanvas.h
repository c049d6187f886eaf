// The chart engine's drawing layer: pens, brushes and fonts, the 3D view options, and the canvas
// through which every chart draws. The canvas projects chart coordinates with a depth onto the
// target, keeps an off-screen buffer between frames, and reduces everything to the primitives of a
// raster::RasterDevice, so charts render headless into any device.
#pragma once

#include "chart/canvas/Brush.h"
#include "chart/canvas/Canvas.h"
#include "chart/canvas/Canvas3D.h"
#include "chart/canvas/Color.h"
#include "chart/canvas/Font.h"
#include "chart/canvas/Geometry.h"
#include "chart/canvas/Pen.h"
#include "chart/canvas/Rounding.h"
#include "chart/canvas/Styles.h"
#include "chart/canvas/View3DOptions.h"
