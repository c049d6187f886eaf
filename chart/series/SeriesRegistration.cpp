// Registration of the series kinds and the functions.
#include "chart/series/SeriesRegistration.h"

#include "chart/KivConst.h"
#include "chart/KivFunci.h"
#include "chart/control/SeriesTypes.h"
#include "chart/series/BarSeries.h"
#include "chart/series/Candle.h"
#include "chart/series/FastLine.h"
#include "chart/series/LineSeries.h"
#include "chart/series/Pie.h"

namespace kiv {

void RegisterBuiltInSeries() {
    using namespace KivConst;
    RegisterSeriesType(SeriesClassOf<TLineSeries>("TLineSeries"), KivMsg_GalleryLine,
                       KivMsg_GalleryStandard, 2);
    RegisterSeriesType(SeriesClassOf<TBarSeries>("TBarSeries"), KivMsg_GalleryBar,
                       KivMsg_GalleryStandard, 2);
    RegisterSeriesType(SeriesClassOf<THorizBarSeries>("THorizBarSeries"), KivMsg_GalleryHorizBar,
                       KivMsg_GalleryStandard, 2);
    RegisterSeriesType(SeriesClassOf<TAreaSeries>("TAreaSeries"), KivMsg_GalleryArea,
                       KivMsg_GalleryStandard, 2);
    RegisterSeriesType(SeriesClassOf<TPointSeries>("TPointSeries"), KivMsg_GalleryPoint,
                       KivMsg_GalleryStandard, 2);
    RegisterSeriesType(SeriesClassOf<TPieSeries>("TPieSeries"), KivMsg_GalleryPie,
                       KivMsg_GalleryStandard, 1);
    RegisterSeriesType(SeriesClassOf<TFastLineSeries>("TFastLineSeries"), KivMsg_GalleryFastLine,
                       KivMsg_GalleryStandard, 2);
    RegisterSeriesType(SeriesClassOf<TCandleSeries>("TCandleSeries"), KivMsg_GalleryCandle,
                       KivMsg_GalleryFinancial, 1);
}

void RegisterBuiltInFunctions() {
    using namespace KivConst;
    const TChartSeriesClass line = SeriesClassOf<TLineSeries>("TLineSeries");
    auto add = [&](TFunctionClass function, const char* description) {
        RegisterFunctionType(function, description, KivMsg_GalleryFunctions, 2, line);
    };
    add(FunctionClassOf<TAddKivFunction>("TAddKivFunction"), KivMsg_FunctionAdd);
    add(FunctionClassOf<TSubtractKivFunction>("TSubtractKivFunction"), KivMsg_FunctionSubtract);
    add(FunctionClassOf<TMultiplyKivFunction>("TMultiplyKivFunction"), KivMsg_FunctionMultiply);
    add(FunctionClassOf<TDivideKivFunction>("TDivideKivFunction"), KivMsg_FunctionDivide);
    add(FunctionClassOf<THighKivFunction>("THighKivFunction"), KivMsg_FunctionHigh);
    add(FunctionClassOf<TLowKivFunction>("TLowKivFunction"), KivMsg_FunctionLow);
    add(FunctionClassOf<TAverageKivFunction>("TAverageKivFunction"), KivMsg_FunctionAverage);
}

} // namespace kiv
