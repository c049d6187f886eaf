// The sixteen colours new series take in turn.
#pragma once

#include "chart/canvas/Color.h"

#include <array>
#include <cstddef>

namespace kiv {

// The sixteen colours new series take in turn.
inline constexpr std::array<TColor, 16> ColorPalette = {
    clRed,  clGreen,  clYellow, clBlue,  clWhite,  clGray,   clFuchsia, clTeal,
    clNavy, clMaroon, clLime,   clOlive, clPurple, clSilver, clAqua,    clBlack};

inline TColor GetDefaultColor(int index) {
    return ColorPalette[size_t(index & 15)];
}

} // namespace kiv
