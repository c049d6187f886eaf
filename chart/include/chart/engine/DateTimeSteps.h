// The label steps of date-time axes.
#pragma once

#include <array>

namespace kiv {

// Index into DateTimeSteps; dtNone means no exact date-time step applies.
enum TDateTimeStep {
    dtOneSecond,
    dtFiveSeconds,
    dtTenSeconds,
    dtFifteenSeconds,
    dtThirtySeconds,
    dtOneMinute,
    dtFiveMinutes,
    dtTenMinutes,
    dtFifteenMinutes,
    dtThirtyMinutes,
    dtOneHour,
    dtTwoHours,
    dtSixHours,
    dtTwelveHours,
    dtOneDay,
    dtTwoDays,
    dtThreeDays,
    dtOneWeek,
    dtHalfMonth,
    dtOneMonth,
    dtTwoMonths,
    dtThreeMonths,
    dtFourMonths,
    dtSixMonths,
    dtOneYear,
    dtNone
};

// The label steps of date-time axes, in days.
extern const std::array<double, 25> DateTimeSteps;

} // namespace kiv
