// Colours of the chart engine: the platform's colour values and names, and the shading of 3D
// faces.
#pragma once

#include "gfx/Color.h"

namespace kiv {

using gfx::clAqua;
using gfx::clBlack;
using gfx::clBlue;
using gfx::clBtnFace;
using gfx::clBtnHighlight;
using gfx::clBtnShadow;
using gfx::clBtnText;
using gfx::clFuchsia;
using gfx::clGray;
using gfx::clGreen;
using gfx::clLime;
using gfx::clMaroon;
using gfx::clNavy;
using gfx::clOlive;
using gfx::clPurple;
using gfx::clRed;
using gfx::clSilver;
using gfx::clTeal;
using gfx::clWhite;
using gfx::clWindow;
using gfx::clWindowText;
using gfx::clYellow;
using gfx::ColorToRGB;
using gfx::GetBValue;
using gfx::GetGValue;
using gfx::GetRValue;
using gfx::RGB;
using gfx::TColor;

// Each channel of the RGB form loses amount, stopping at 0 (the shading of 3D faces).
TColor DarkenColor(TColor color, int amount);

} // namespace kiv
