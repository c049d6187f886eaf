// The styles of pens, brushes, fonts and text that drawing code hands to a device.
#pragma once

#include <cstdint>

namespace gfx {

// psAlternate is the cosmetic pen that sets every other pixel.
enum TPenStyle : std::uint8_t {
    psSolid,
    psDash,
    psDot,
    psDashDot,
    psDashDotDot,
    psClear,
    psInsideFrame,
    psAlternate
};

enum TPenMode : std::uint8_t { pmCopy, pmNotXor };

enum TBrushStyle : std::uint8_t {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

// Whether text and the gaps of hatches and dashes are filled with the background colour.
enum TCanvasBackMode : std::uint8_t { cbmTransparent, cbmOpaque };

// Font style bits, combined with |.
using TFontStyles = std::uint8_t;
enum TFontStyle : TFontStyles { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// Text alignment flags, combined with |.
constexpr unsigned TA_NOUPDATECP = 0;
constexpr unsigned TA_UPDATECP = 1;
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;

} // namespace gfx
