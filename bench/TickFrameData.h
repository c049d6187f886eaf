// The data of the tick chart frame that the chart frame benchmarks draw: 499 quotes a second
// apart from 2024-01-05 12:34:56, the bid a mean-reverting random walk around 1.0950 (steps
// within +-0.00005, pulled back by 1 % of its distance from 1.0950), the ask 0.0002 above.
#pragma once

#include <random>
#include <vector>

struct TickFrameData {
    static constexpr int Points = 499;
    static constexpr int Width = 1001;
    static constexpr int Height = 442;
    // 2024-01-05 12:34:56 as days since 1899-12-30.
    static constexpr double FirstTime = 45296.0 + (12 * 3600 + 34 * 60 + 56) / 86400.0;
    static constexpr double SecondsPerDay = 86400.0;
    // Days from 1899-12-30 to 1970-01-01.
    static constexpr double UnixEpoch = 25569.0;

    std::vector<double> time; // date-time, days since 1899-12-30
    std::vector<double> bid;
    std::vector<double> ask;

    TickFrameData() {
        std::mt19937 random(20240105);
        std::uniform_real_distribution<double> step(-0.00005, 0.00005);
        double price = 1.0950;
        for (int i = 0; i < Points; ++i) {
            price += step(random) - 0.01 * (price - 1.0950);
            time.push_back(FirstTime + i / SecondsPerDay);
            bid.push_back(price);
            ask.push_back(price + 0.0002);
        }
    }
    // Seconds since 1970-01-01 of point i (the time base of most chart libraries).
    double UnixSeconds(int i) const { return (time[i] - UnixEpoch) * SecondsPerDay; }
};

inline const TickFrameData& TickData() {
    static const TickFrameData data;
    return data;
}
