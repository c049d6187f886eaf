// Mouse buttons, shift state and cursors as the engine's mouse handlers receive and set them.
#pragma once

namespace kiv {

enum TMouseButton { mbLeft, mbRight, mbMiddle };
// Shift, Alt, Ctrl and the mouse buttons held, as bits.
using TShiftState = unsigned;
enum : TShiftState {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
using TCursor = int;
constexpr TCursor crDefault = 0;

} // namespace kiv
