// The platform's pen, brush, font, background and text-alignment styles, as the engine names
// them.
#pragma once

#include "gfx/Drawing.h"

namespace kiv {

using gfx::TA_BASELINE;
using gfx::TA_BOTTOM;
using gfx::TA_CENTER;
using gfx::TA_LEFT;
using gfx::TA_NOUPDATECP;
using gfx::TA_RIGHT;
using gfx::TA_TOP;
using gfx::TA_UPDATECP;

using gfx::TBrushStyle;
using gfx::TCanvasBackMode;
using gfx::TFontStyles;
using gfx::TPenMode;
using gfx::TPenStyle;
using enum gfx::TBrushStyle;
using enum gfx::TCanvasBackMode;
using enum gfx::TFontStyle;
using enum gfx::TPenMode;
using enum gfx::TPenStyle;

} // namespace kiv
