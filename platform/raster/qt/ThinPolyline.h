// The pixels of a one-pixel polyline with flat ends, solid or dashed, that QPainter's raster
// engine sets for an aliased pen of width 1 (its cosmetic line walk on 26.6 fixed-point ends). The
// walk keeps the engine's joins: a pixel shared by two segments is set once, a diagonal step
// between segments that would leave a gap gets its pixel, and a segment that turns back on the one
// before it is drawn with half a pixel more at the turn.
//
// Only points on whole pixels are walked, and only polylines that stay inside the device: the
// engine cuts lines that leave it in floating point first, and treats a polyline that ends
// where it starts as closed. Callers leave those to the painter.
#pragma once

#include <QPoint>

#include <algorithm>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace raster {

class ThinPolyline {
public:
    // The most dashes and gaps a pattern may have.
    static constexpr int kMaxDashes = 8;

    // Calls plot(x, y) for each pixel of the line through the points. A dashed line takes its
    // pattern of dash and gap lengths in pixels (at most kMaxDashes of them, none for a solid
    // line), laid along the whole polyline from its start.
    template <class Plot>
    static void Trace(const QPoint* points, int count, Plot&& plot, const qreal* dashes = nullptr,
                      int dashCount = 0) {
        ThinPolyline walk;
        walk.SetDashes(dashes, dashCount);
        for (int i = 1; i < count; ++i)
            walk.Segment(points[i - 1].x() * 64, points[i - 1].y() * 64, points[i].x() * 64,
                         points[i].y() * 64, plot);
    }

private:
    // Each dash's end along the pattern, in 26.6 units; the reverse pattern is walked for
    // segments drawn backwards.
    void SetDashes(const qreal* dashes, int count) {
        dashCount_ = count;
        int forward = 0, backward = 0;
        for (int i = 0; i < count; ++i) {
            forward += static_cast<int>(std::max(1.0, dashes[i] * 64));
            forward_[i] = forward;
            backward += static_cast<int>(std::max(1.0, dashes[count - 1 - i] * 64));
            backward_[i] = backward;
        }
        patternLength_ = forward;
    }

    enum Direction {
        None = 0,
        Down = 1,
        Up = 2,
        Right = 4,
        Left = 8,
        Vertical = 3,
        Horizontal = 12
    };

    // 16.16 quotient of two 26.6 values, truncated towards zero.
    static int Slope(int num, int den) {
        return static_cast<int>(static_cast<int64_t>(num) * 65536 / den);
    }

    // One segment between 26.6 points; the main axis is the one it covers more of.
    template <class Plot> void Segment(int x1, int y1, int x2, int y2, Plot& plot) {
        const int dx = std::abs(x2 - x1);
        const int dy = std::abs(y2 - y1);
        if (dx < dy)
            Walk<true>(y1, x1, y2, x2, plot);
        else if (dx != 0)
            Walk<false>(x1, y1, x2, y2, plot);
    }

    // Walks the main axis a from a1 to a2 one pixel at a time; b is the cross axis.
    template <bool vertical, class Plot> void Walk(int a1, int b1, int a2, int b2, Plot& plot) {
        const Direction forward = vertical ? Down : Right;
        const Direction backward = vertical ? Up : Left;
        const int mask = vertical ? Vertical : Horizontal;
        Direction dir = forward;
        bool swapped = false;
        if (a1 > a2) {
            swapped = true;
            std::swap(a1, a2);
            std::swap(b1, b2);
            dir = backward;
        }
        const int inc = Slope(b2 - b1, a2 - a1);
        int b = b1 * 1024;
        // Turning back on the segment before: half a pixel more where it turns.
        if ((lastDir_ ^ mask) == dir) {
            if (swapped) {
                a2 += 32;
            } else {
                a1 -= 32;
                b -= inc >> 1;
            }
        }

        int a = (a1 + 32) >> 6;
        int as = (a2 + 32) >> 6;
        const int round = inc > 0 ? 32 : 0;
        if (a == as) return;
        b += ((a * 64) + round - a1) * inc >> 6;
        Pixel first = At<vertical>(a, b >> 16);
        Pixel last = At<vertical>(as - 1, (b + (as - a - 1) * inc) >> 16);
        if (swapped) std::swap(first, last);
        const bool axisAligned = std::abs(inc) < (1 << 14);
        if (last_.x > INT_MIN) {
            if (first.x == last_.x && first.y == last_.y) {
                // The pixel the segment before ended on.
                if (swapped) {
                    --as;
                } else {
                    ++a;
                    b += inc;
                }
            } else if (lastDir_ != dir &&
                       ((axisAligned && lastAxisAligned_ && last_.x != first.x &&
                         last_.y != first.y) ||
                        std::abs(last_.x - first.x) > 1 || std::abs(last_.y - first.y) > 1)) {
                // A gap at the corner: one pixel more.
                if (swapped) {
                    ++as;
                } else {
                    --a;
                    b -= inc;
                }
            }
        }
        lastDir_ = dir;
        lastAxisAligned_ = axisAligned;
        if (dashCount_ == 0) {
            do {
                Put<vertical>(plot, a, b >> 16);
                b += inc;
                ++a;
            } while (a < as);
        } else {
            // Where along the pattern the segment starts, and which dash that is.
            const int start = a * 64;
            const int length = (as - a) * 64;
            const int* pattern = swapped ? backward_ : forward_;
            int offset = swapped ? patternLength_ - patternOffset_ - length - ((start & 63) - 32)
                                 : patternOffset_ - ((start & 63) - 32);
            offset %= patternLength_;
            if (offset < 0) offset += patternLength_;
            int dash = 0;
            while (offset >= pattern[dash]) ++dash;
            const int on = swapped ? 0 : 1;
            patternOffset_ = (patternOffset_ + length) % patternLength_;
            do {
                if ((dash + on) & 1) Put<vertical>(plot, a, b >> 16);
                b += inc;
                offset += 64;
                if (offset >= pattern[dash] && ++dash == dashCount_) dash = 0;
                while (offset >= patternLength_) offset -= patternLength_;
                ++a;
            } while (a < as);
        }
        last_ = last;
    }

    template <bool vertical, class Plot> static void Put(Plot& plot, int a, int b) {
        if constexpr (vertical)
            plot(b, a);
        else
            plot(a, b);
    }

    struct Pixel {
        int x = INT_MIN;
        int y = INT_MIN;
    };
    template <bool vertical> static Pixel At(int a, int b) {
        return vertical ? Pixel{b, a} : Pixel{a, b};
    }

    // The last pixel set, where the next segment starts.
    Pixel last_;
    int lastDir_ = None;
    bool lastAxisAligned_ = false;
    int dashCount_ = 0;
    int forward_[kMaxDashes] = {};
    int backward_[kMaxDashes] = {};
    int patternLength_ = 0;
    // How far along the pattern the line has come, in 26.6 units.
    int patternOffset_ = 0;
};

} // namespace raster
