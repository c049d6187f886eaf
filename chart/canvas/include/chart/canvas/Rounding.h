// How the engine turns real values into pixels and scales integers.
#pragma once

namespace kiv {

// A real value to a pixel: nearest, halves to even.
int RoundPixel(double value);
// (a + b) div 2 without overflow, truncating toward zero (centres of pixel ranges).
int HalfSum(int a, int b);
// A 64-bit pixel sum clamped to the int range.
int ClampPixel(long long value);

// Pixels mapped from values stay within this many pixels of 0: far outside any plot, yet small
// enough that the sums and differences drawing makes of them (marks, pointers, bars, areas,
// arrows) fit in int and in every raster back end.
constexpr int MaxValuePixel = 1 << 22;
// A pixel mapped from a value, clamped to +-MaxValuePixel.
int ClampValuePixel(long long value);
// (a * b) / c in 64 bits, rounded to nearest with halves away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

} // namespace kiv
