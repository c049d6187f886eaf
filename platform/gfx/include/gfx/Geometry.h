// Integer pixel geometry: points, sizes and rectangles. A rectangle covers [left, right) x
// [top, bottom); y grows downwards.
#pragma once

namespace gfx {

// A point in pixels.
struct TPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// A width and height in pixels.
struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

// A rectangle in pixels; right and bottom are outside it.
struct TRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

} // namespace gfx
