// Chart descriptions: a chart's settings as YAML text keyed by the published property names,
// nested as the objects are (LeftAxis: {LabelsAngle: 90}, XValues: {Order: 1}), holding only
// the values that differ from their defaults, and its series by their registered kinds with,
// by choice, their points.
#pragma once

#include "chart/KivConst.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

class TCustomChart;

// A description that cannot be loaded; the message starts with the line it is about.
class DescriptionException : public rtl::Exception {
    using rtl::Exception::Exception;
};

// Something of a description that was skipped while the rest was loaded.
struct TDescriptionIssue {
    int Line = 0;
    std::string Message;
    friend bool operator==(const TDescriptionIssue&, const TDescriptionIssue&) = default;
};

// Descriptions longer than this are refused before they are read.
inline constexpr std::size_t MaxDescriptionSize = 16u << 20;

// The chart's description; with points, each series' points too.
std::string SaveChartDescription(TCustomChart& chart, bool withPoints = true);

// Makes chart what the description says: properties it leaves out return to their defaults
// and the chart's series are replaced by those it lists. Unknown keys, values of the wrong
// type and values a setter refuses are skipped (the old value stays) and answered as issues.
// A description that cannot be read (not YAML, cut short, too long, a series kind or function
// that is not registered, a data source that names no series, sources in a cycle, points that
// are not numbers) raises DescriptionException and leaves the chart as it was.
std::vector<TDescriptionIssue> LoadChartDescription(TCustomChart& chart, std::string_view text);

// The same through files; a file that cannot be read or written raises EInOutError.
void SaveChartDescriptionToFile(TCustomChart& chart, const std::string& fileName,
                                bool withPoints = true);
std::vector<TDescriptionIssue> LoadChartDescriptionFromFile(TCustomChart& chart,
                                                            const std::string& fileName);

} // namespace kiv
