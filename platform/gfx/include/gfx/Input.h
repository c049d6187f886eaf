// The mouse and cursor vocabulary that windows hand to what they show: buttons, the shift state
// of keys and buttons, cursor numbers, and the screen's table of numbered cursors.
#pragma once

#include <cstdint>

namespace gfx {

enum TMouseButton : std::uint8_t { mbLeft, mbRight, mbMiddle };

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

// A cursor by number: the standard ones are 0 and below; programs register their own above.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crNo = -18;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// The pictures a registered cursor can take; the window toolkit draws them.
enum class TCursorShape : std::uint8_t { Arrow, Cross, PointingHand, OpenHand, ClosedHand };

// The screen's numbered cursors. A program registers its own numbers at start-up and removes
// them at shutdown; a window showing an unknown number shows the default cursor.
class ICursorTable {
public:
    virtual ~ICursorTable() = default;
    virtual void RegisterCursor(TCursor number, TCursorShape shape) = 0;
    virtual void UnregisterCursor(TCursor number) = 0;
};

} // namespace gfx
