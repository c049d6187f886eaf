
#include "chart/canvas/Rounding.h"

#include "chart/canvas/Color.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kiv {

int RoundPixel(double value) {
    // Out-of-range and NaN values would be undefined as int; clamp them to the int range.
    if (std::isnan(value)) return 0;
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    if (value <= lo) return std::numeric_limits<int>::min();
    if (value >= hi) return std::numeric_limits<int>::max();
    return static_cast<int>(std::nearbyint(value));
}

int ClampPixel(long long value) {
    if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

int ClampValuePixel(long long value) {
    return static_cast<int>(std::clamp<long long>(value, -MaxValuePixel, MaxValuePixel));
}

int HalfSum(int a, int b) {
    return static_cast<int>((static_cast<std::int64_t>(a) + b) / 2);
}

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    std::int64_t quotient = product / c;
    const std::int64_t remainder = product % c;
    const std::int64_t absRemainder = remainder < 0 ? -remainder : remainder;
    const std::int64_t absDivisor = c < 0 ? -static_cast<std::int64_t>(c) : c;
    if (2 * absRemainder >= absDivisor) quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    if (quotient > std::numeric_limits<int>::max() || quotient < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(quotient);
}

TColor DarkenColor(TColor color, int amount) {
    const TColor rgb = ColorToRGB(color);
    auto channel = [amount](int value) { return amount < value ? value - amount : 0; };
    return RGB(channel(GetRValue(rgb)), channel(GetGValue(rgb)), channel(GetBValue(rgb)));
}

} // namespace kiv
