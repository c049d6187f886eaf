#include "chart/control/ChartWall.h"

#include "chart/control/CustomChart.h"

namespace kiv {

TChartWall::TChartWall(TCustomChart* chart, TColor defaultColor)
    : chart_(chart), defaultColor_(defaultColor), brush_([this] { PropertyChanged(); }),
      color_(defaultColor), pen_([this] { PropertyChanged(); }) {}

void TChartWall::PropertyChanged() const {
    if (chart_) chart_->Invalidate();
}

void TChartWall::Assign(const TChartWall& source) {
    brush_.Assign(source.brush_);
    pen_.Assign(source.pen_);
    color_ = source.color_;
    dark3D_ = source.dark3D_;
    size_ = source.size_;
    PropertyChanged();
}

} // namespace kiv
