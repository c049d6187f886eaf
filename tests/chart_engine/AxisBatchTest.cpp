#include "EngineTestSupport.h"

#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace kiv;

// The batch mapping that drawing passes use gives ValueToPixel's pixel for every value: ties of
// the rounding, values far outside the range, values that are not numbers, inverted and
// logarithmic axes.
TEST(AxisBatch, ABatchMapsEveryValueAsValueToPixelDoes) {
    TestPanel chart;
    chart.SetChartRect({37, 11, 468, 442}); // 431 pixels each way
    std::mt19937 random(7);
    std::uniform_real_distribution<double> any(-1e3, 1e3);
    std::vector<double> values = {0.5, 1.5,  2.5, -0.5, 1e300,    -1e300,
                                  3e9, -3e9, 0,   NAN,  INFINITY, -INFINITY};
    for (int i = 0; i < 2000; ++i) values.push_back(any(random));
    // Pixel ties: over 0..3 on 431 pixels, (k + 0.5) * 3 / 431 lies half way between two pixels,
    // or a hair beside that.
    for (int k = -10; k <= 440; ++k) values.push_back((k + 0.5) * 3 / 431);
    for (TChartAxis* axis : {&chart.BottomAxis(), &chart.LeftAxis()}) {
        for (int variant = 0; variant < 4; ++variant) {
            SCOPED_TRACE(variant);
            axis->SetInverted(variant & 1);
            axis->SetLogarithmic(false);
            axis->SetRange(variant == 3 ? 1 : 0, variant == 2 ? 1e-7 : variant == 3 ? 963 : 3);
            axis->SetLogarithmic(variant == 3);
            axis->RefreshRange();
            axis->PlaceOnChart();
            for (double multiplier : {1.0, 0.25}) {
                std::vector<int> batch(values.size());
                axis->ValuesToPixels(values.data(), int(values.size()), multiplier, batch.data());
                for (size_t i = 0; i < values.size(); ++i)
                    ASSERT_EQ(batch[i], axis->ValueToPixel(values[i] * multiplier))
                        << values[i] << " x " << multiplier;
            }
        }
    }
}
