// Registration of the line, bar, horizontal bar, area and point series.
#include "chart/series/SeriesRegistration.h"

#include "chart/KivConst.h"
#include "chart/control/SeriesTypes.h"
#include "chart/series/BarSeries.h"
#include "chart/series/LineSeries.h"

namespace kiv {

void RegisterLineAndBarSeries() {
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
}

} // namespace kiv
