// The chart engine's texts: the messages it raises and the default texts of its objects, and
// the exception classes that carry those messages.
#pragma once

#include "rtl/Exceptions.h"

namespace kiv {

namespace KivConst {

// Default texts
inline constexpr const char* KivMsg_DefValueFormat = "#,##0.###";
inline constexpr const char* KivMsg_DefPercentFormat = "##0.## %";
inline constexpr const char* KivMsg_ValuesX = "X";
inline constexpr const char* KivMsg_ValuesY = "Y";
inline constexpr const char* KivMsg_ValuesBar = "Bar";
inline constexpr const char* KivMsg_ValuesAngle = "Angle";
inline constexpr const char* KivMsg_PercentOf = "%s of %s";
inline constexpr const char* KivMsg_PieOther = "Other";
inline constexpr const char* KivMsg_ValuesPie = "Pie";
inline constexpr const char* KivMsg_ValuesOpen = "Open";
inline constexpr const char* KivMsg_ValuesHigh = "High";
inline constexpr const char* KivMsg_ValuesLow = "Low";
inline constexpr const char* KivMsg_ValuesClose = "Close";
inline constexpr const char* KivMsg_PieSamples[8] = {"Cars",  "Phones",    "Tables", "Monitors",
                                                     "Lamps", "Keyboards", "Bikes",  "Chairs"};
inline constexpr const char* KivMsg_AxisLabels = "Axis Labels";
inline constexpr const char* KivMsg_AxisTitle = "Axis Title";
inline constexpr const char* KivMsg_Rotation = "Rotation";
inline constexpr const char* KivMsg_SeriesTitle = "Series ";

// Gallery pages and the series kinds on them
inline constexpr const char* KivMsg_GalleryStandard = "Standard";
inline constexpr const char* KivMsg_GalleryLine = "Line";
inline constexpr const char* KivMsg_GalleryBar = "Bar";
inline constexpr const char* KivMsg_GalleryHorizBar = "Horiz. Bar";
inline constexpr const char* KivMsg_GalleryArea = "Area";
inline constexpr const char* KivMsg_GalleryPoint = "Point";
inline constexpr const char* KivMsg_GalleryPie = "Pie";
inline constexpr const char* KivMsg_GalleryFastLine = "Fast Line";
inline constexpr const char* KivMsg_GalleryFinancial = "Financial";
inline constexpr const char* KivMsg_GalleryCandle = "Candle";
inline constexpr const char* KivMsg_GalleryFunctions = "Functions";
inline constexpr const char* KivMsg_FunctionAdd = "Add";
inline constexpr const char* KivMsg_FunctionSubtract = "Subtract";
inline constexpr const char* KivMsg_FunctionMultiply = "Multiply";
inline constexpr const char* KivMsg_FunctionDivide = "Divide";
inline constexpr const char* KivMsg_FunctionHigh = "High";
inline constexpr const char* KivMsg_FunctionLow = "Low";
inline constexpr const char* KivMsg_FunctionAverage = "Average";

// Axis checks (AxisException)
inline constexpr const char* KivMsg_AxisIncrementNegative = "Axis increment must be >= 0";
inline constexpr const char* KivMsg_AxisLogBase = "Axis Logarithmic Base should be >= 2";
inline constexpr const char* KivMsg_AxisLogDateTime = "DateTime Axis cannot be Logarithmic";
inline constexpr const char* KivMsg_AxisLogNotPositive =
    "Logarithmic Axis Min and Max values should be >= 0";
inline constexpr const char* KivMsg_AxisLabelSep = "Labels Separation % must be greater than 0";
inline constexpr const char* KivMsg_AxisMinMax = "Axis Minimum Value must be <= Maximum";
inline constexpr const char* KivMsg_AxisMaxMin = "Axis Maximum Value must be >= Minimum";

// Chart checks (ChartException)
inline constexpr const char* KivMsg_AngleRange = "%s Angle must be between 0 and 359 degrees";
inline constexpr const char* KivMsg_MaxPointsPerPage = "MaxPointsPerPage must be >= 0";
inline constexpr const char* KivMsg_Chart3DPercent = "3D effect percent must be between %d and %d";
inline constexpr const char* KivMsg_PointerSize = "Pointer size must be greater than zero";
inline constexpr const char* KivMsg_NoParentChart = "No ParentChart to validate DataSource";
inline constexpr const char* KivMsg_InvalidDataSource = "No valid DataSource: %s";
inline constexpr const char* KivMsg_CircularDataSource =
    "Circular Series dependences are not allowed";
inline constexpr const char* KivMsg_SampleNumValues = "FillSampleValues NumValues must be > 0";
inline constexpr const char* KivMsg_FunctionPeriod = "Function Period should be >= 0";
inline constexpr const char* KivMsg_FunctionPeriods =
    "Function Period too small: more than %d periods in the source";
inline constexpr const char* KivMsg_CandleValues =
    "Candle values must be numbers with Low <= Open, Close <= High";
inline constexpr const char* KivMsg_CandleWidth = "Candle Width must be >= 0";
inline constexpr const char* KivMsg_CandlePeriod = "Candle Period must be > 0";
inline constexpr const char* KivMsg_CandleSeries = "Candles need a Candle series";
inline constexpr const char* KivMsg_CandleDateTime = "Candles need a DateTime source: %s";
inline constexpr const char* KivMsg_NoSnapshotDevice =
    "No drawing device that keeps pixels for the chart snapshot";

// Legend checks (LegendException)
inline constexpr const char* KivMsg_LegendTopPos =
    "Top Legend Position must be between 0 and 100 %";
inline constexpr const char* KivMsg_LegendFirstValue = "First Legend Value must be > 0";
inline constexpr const char* KivMsg_LegendColorWidth =
    "Legend Color Width must be between 0 and 100 %";

// Bar checks (BarException)
inline constexpr const char* KivMsg_BarWidthPercent = "Bar Width Percent must be between 1 and 100";
inline constexpr const char* KivMsg_BarOffsetPercent =
    "Bar Offset Percent must be between -100% and 100%";

} // namespace KivConst

// Errors of the chart engine; each carries one of the messages above.
class ChartException : public rtl::Exception {
    using rtl::Exception::Exception;
};

// An axis refused a value (an invalid increment, a minimum above the maximum, ...).
class AxisException : public rtl::Exception {
    using rtl::Exception::Exception;
};

// The legend refused a value.
class LegendException : public rtl::Exception {
    using rtl::Exception::Exception;
};

// A bar series refused a value.
class BarException : public rtl::Exception {
    using rtl::Exception::Exception;
};

// A pie series refused a value.
class PieException : public rtl::Exception {
    using rtl::Exception::Exception;
};

} // namespace kiv
