// Mouse buttons, shift state and cursors as the engine's mouse handlers receive and set them (the
// platform's vocabulary), and the engine's own pointing-hand cursor.
#pragma once

#include "gfx/Input.h"

namespace kiv {

using gfx::TCursor;
using gfx::TMouseButton;
using gfx::TShiftState;
using enum gfx::TMouseButton;
using gfx::crArrow;
using gfx::crCross;
using gfx::crDefault;
using gfx::crHandPoint;
using gfx::ssAlt;
using gfx::ssCtrl;
using gfx::ssDouble;
using gfx::ssLeft;
using gfx::ssMiddle;
using gfx::ssRight;
using gfx::ssShift;

// The pointing hand the engine registers at start-up for series and other parts to show.
constexpr TCursor crKivHand = 2020;

} // namespace kiv
