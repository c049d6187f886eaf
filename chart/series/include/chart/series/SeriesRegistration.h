// Registration of the line, bar, horizontal bar, area and point series in the registry of series
// kinds.
#pragma once

namespace kiv {

// Adds "Line", "Bar", "Horiz. Bar", "Area" and "Point" to the gallery page "Standard", two
// gallery series each, in that order; a kind already registered is not added again. The program
// calls it once at start-up.
void RegisterLineAndBarSeries();

} // namespace kiv
