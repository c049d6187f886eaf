// TCustomChartAxis: label texts, the label step, and date-time stepping.

#include "chart/engine/Axis.h"

#include "chart/engine/AxisPanel.h"

#include "rtl/DateTime.h"
#include "rtl/FormatFloat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kiv {

namespace {

constexpr double Second = 1.0 / 86400.0;
constexpr double Minute = 60 * Second;
constexpr double Hour = 60 * Minute;

// Nearest with halves to even, as for pixels.
double RoundEven(double v) {
    return std::nearbyint(v);
}

} // namespace

const std::array<double, 25> DateTimeSteps = {
    Second,      5 * Second,  10 * Second, 15 * Second, 30 * Second, Minute,   5 * Minute,
    10 * Minute, 15 * Minute, 30 * Minute, Hour,        2 * Hour,    6 * Hour, 12 * Hour,
    1,           2,           3,           7,           15,          30,       60,
    90,          120,         182,         365};

std::string TCustomChartAxis::LabelText(double value) const {
    std::string text;
    if (dateTimeMode_) {
        // Negative or out-of-calendar values have no date to show.
        if (value >= 0 && rtl::IsValidDateTime(value)) {
            const rtl::TFormatSettings& fs = rtl::DefaultFormatSettings();
            const std::string& pattern = !dateTimeFormat_.empty() ? dateTimeFormat_
                                         : rangeSpan_ > 1         ? fs.ShortDateFormat
                                                                  : fs.ShortTimeFormat;
            text = rtl::FormatDateTime(pattern, value, fs);
        }
    } else {
        text = rtl::FormatFloat(axisValuesFormat_, value);
    }
    if (chart_ && chart_->OnGetAxisLabel)
        chart_->OnGetAxisLabel(const_cast<TCustomChartAxis*>(this), nullptr, -1, text);
    if (labelsMultiLine_) std::replace(text.begin(), text.end(), ' ', LineSeparator);
    return text;
}

// The room one label of value takes along the axis.
int TCustomChartAxis::LabelSize(double value, int fontHeight) const {
    int lines = 1;
    const int width = chart_->MeasureMultiLineText(LabelText(value), lines);
    const int height = fontHeight * lines;
    const bool upright = labelsAngle_ == 90 || labelsAngle_ == 270;
    if (horizontal_) return upright ? height : width;
    return (labelsAngle_ == 0 || labelsAngle_ == 180) ? height : width;
}

// Steps run 1, 2, 5, 10, 20, 50, ... in every decade. The decade is found once and the result
// built from it, so that 1e-12 steps to 2e-12 exactly instead of drifting through a chain of
// multiplications by 10 and 0.1.
double TCustomChartAxis::NextNiceStep(double step) {
    if (!(step > 0) || !std::isfinite(step)) return step;
    int exponent = int(std::floor(std::log10(step)));
    auto scale = [](int e) { return std::pow(10.0, std::abs(e)); };
    double mantissa = exponent >= 0 ? step / scale(exponent) : step * scale(exponent);
    // Scaling by powers of ten leaves a few ulps of noise: a mantissa that close below a rung
    // is that rung (and one close below 10 starts the next decade). Anything further below is
    // a value of its own.
    constexpr double Noise = 4 * std::numeric_limits<double>::epsilon();
    auto below = [&](double rung) { return mantissa < rung * (1 - Noise); };
    if (!below(10)) {
        ++exponent;
        mantissa /= 10;
    } else if (below(1)) {
        --exponent;
        mantissa *= 10;
    }
    const double next = below(2) ? 2 : (below(5) ? 5 : 10);
    return exponent >= 0 ? next * scale(exponent) : next / scale(exponent);
}

double TCustomChartAxis::ComputeIncrement() const {
    int size = 0;
    if (chart_) {
        chart_->ApplyTextFont(const_cast<TFont&>(labelsFont_));
        const int fontHeight = chart_->FontHeight();
        size = std::max(LabelSize(rangeMin_, fontHeight), LabelSize(rangeMax_, fontHeight));
    }
    double maxLabels = 1;
    if (size > 0) {
        if (labelsSeparation_ > 0) size += int(RoundEven(labelsSeparation_ * 0.01 * size));
        maxLabels = RoundEven(double(pixelSize_) / size);
    }
    if (maxLabels < 1) return dateTimeMode_ ? DateTimeSteps[dtOneSecond] : 1e-12;

    const double span = rangeSpan_;
    if (dateTimeMode_) {
        double s = std::max(DateTimeSteps[dtOneSecond], increment_);
        // A span without a finite size has no step to search for.
        if (!std::isfinite(span) || !std::isfinite(s)) return DateTimeSteps[dtOneSecond];
        if (span / s > 1000000) s = span / 1000000;
        double n = RoundEven(span / s);
        while (n > maxLabels) {
            if (s >= 365) {
                s *= 2;
            } else {
                int k = int(DateTimeSteps.size()) - 1;
                while (k >= 0 && DateTimeSteps[size_t(k)] > s) --k;
                s = k < 0 ? DateTimeSteps[dtOneYear] : DateTimeSteps[size_t(k + 1)];
            }
            n = RoundEven(span / s);
        }
        return std::max(DateTimeSteps[dtOneSecond], s);
    }

    double s = increment_ > 0 ? increment_ : (std::fabs(span) >= 1 ? 1.0 : 1e-12);
    if (labelsSeparation_ > 0 && std::isfinite(span)) {
        double n = maxLabels + 1;
        do {
            const double q = span / s;
            const double before = s;
            if (std::fabs(q) < 2147483647) {
                n = RoundEven(q);
                if (n > maxLabels) s = NextNiceStep(s);
            } else {
                s = NextNiceStep(s);
            }
            if (n > maxLabels && !(s > before)) break; // no larger step left
        } while (n > maxLabels);
    }
    return std::max(1e-12, s);
}

TDateTimeStep TCustomChartAxis::FindDateTimeStep(double increment) {
    for (int k = int(DateTimeSteps.size()) - 1; k >= 0; --k)
        if (std::fabs(DateTimeSteps[size_t(k)] - increment) < Second) return TDateTimeStep(k);
    return dtNone;
}

double TCustomChartAxis::StepDateTime(bool up, double value, TDateTimeStep step,
                                      double increment) const {
    const double plain = up ? value + increment : value - increment;
    if (!exactDateTime_ || !dateTimeMode_ || step < dtHalfMonth || step > dtOneYear ||
        !rtl::IsValidDateTime(value))
        return plain;
    const rtl::DateParts d = rtl::DecodeDateTime(value);
    int year = d.Year, month = d.Month, day = d.Day;
    auto moveMonths = [&](int n) {
        day = 1;
        if (up) {
            month += n;
            if (month > 12) {
                ++year;
                month -= 12;
            }
        } else if (n < month) {
            month -= n;
        } else {
            --year;
            month += 12 - n;
        }
    };
    switch (step) {
    case dtHalfMonth:
        // Upwards mirrors the downward rule so that stepping up never moves back.
        if (up) {
            if (day < 15)
                day = 15;
            else
                moveMonths(1);
        } else if (day >= 16) {
            day = 15;
        } else if (day >= 2) {
            day = 1;
        } else {
            moveMonths(1);
            day = 15;
        }
        break;
    case dtOneMonth:
        moveMonths(1);
        break;
    case dtTwoMonths:
        moveMonths(2);
        break;
    case dtThreeMonths:
        moveMonths(3);
        break;
    case dtFourMonths:
        moveMonths(4);
        break;
    case dtSixMonths:
        moveMonths(6);
        break;
    default:
        year += up ? 1 : -1;
        // 29 February has no match in a common year
        if (year >= 1 && year <= 9999) day = std::min(day, rtl::DaysInMonth(year, month));
        break;
    }
    rtl::TDateTime result;
    return rtl::TryEncodeDate(year, month, day, result) ? result : plain;
}

double TCustomChartAxis::RoundDateToStep(TDateTimeStep step, double value) {
    if (!(value > 2.0) || !rtl::IsValidDateTime(value)) return value; // 1 January 1900 and before
    const rtl::DateParts d = rtl::DecodeDateTime(value);
    int month = d.Month, day = d.Day;
    if (step == dtHalfMonth)
        day = day < 15 ? 1 : 15;
    else if (step >= dtOneMonth && step <= dtSixMonths)
        day = 1;
    else if (step == dtOneYear)
        day = month = 1;
    return rtl::EncodeDate(d.Year, month, day);
}

} // namespace kiv
