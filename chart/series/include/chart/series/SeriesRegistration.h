// Registration of the engine's series kinds and functions in the registry of series kinds.
#pragma once

namespace kiv {

// Adds "Line", "Bar", "Horiz. Bar", "Area", "Point" (two gallery series each), "Pie" (one) and
// "Fast Line" (two) to the gallery page "Standard", in that order, then "Candle" (one) to the
// page "Financial"; a kind already registered is not added again. A program that offers the gallery calls it once at start-up.
void RegisterBuiltInSeries();
// Adds the add, subtract, multiply, divide, high, low and average functions to the gallery page
// "Functions", two gallery series each, computing line series.
void RegisterBuiltInFunctions();

} // namespace kiv
