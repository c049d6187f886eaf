#include "chart/control/ChartFontObject.h"

#include "chart/control/CustomChart.h"

namespace kiv {

TChartFontObject::TChartFontObject(TCustomChart* chart) : chart_(chart) {
    font_.SetName(DefaultFontName);
    font_.SetSize(DefaultFontSize);
    font_.SetColor(clBlack);
    font_.OnChange = [this] { Repaint(); };
}

void TChartFontObject::Repaint() const {
    if (chart_) chart_->Invalidate();
}

} // namespace kiv
