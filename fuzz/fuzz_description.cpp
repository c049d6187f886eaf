// The chart description reader: any text either loads (with issues) or is refused with a
// DescriptionException; nothing else escapes and nothing crashes.
#include "chart/Chart.h"
#include "chart/Description.h"
#include "chart/Series.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool registered = [] {
        kiv::RegisterBuiltInSeries();
        kiv::RegisterBuiltInFunctions();
        return true;
    }();
    (void)registered;
    kiv::TChart chart;
    try {
        kiv::LoadChartDescription(chart,
                                  std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const kiv::DescriptionException&) {
    }
    return 0;
}
