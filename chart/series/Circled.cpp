// TCircledSeries: where the circle goes within the chart, and angles around it.

#include "chart/series/Circled.h"

#include "chart/canvas/Rounding.h"
#include "chart/control/CustomChart.h"
#include "chart/engine/AxisPanel.h"

#include "rtl/Format.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace kiv {

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;

// Bounds arithmetic in 64 bits, kept within int range.
int ClampInt(std::int64_t v) {
    return int(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

} // namespace

TCircledSeries::TCircledSeries() {
    clipToVisibleRange_ = false;
    XValues().SetName(KivConst::KivMsg_ValuesAngle);
}

TCircledSeries::~TCircledSeries() {
    ApplyHostChartSettings(ParentChart(), true);
}

void TCircledSeries::SetParentChart(TCustomAxisPanel* value) {
    if (value == ParentChart()) return;
    ApplyHostChartSettings(ParentChart(), true);
    TChartSeries::SetParentChart(value);
    if (Active()) ApplyHostChartSettings(value, false);
}

void TCircledSeries::SetActive(bool value) {
    if (value == Active()) return;
    TChartSeries::SetActive(value);
    ApplyHostChartSettings(ParentChart(), !value);
}

void TCircledSeries::ApplyHostChartSettings(TCustomAxisPanel* chart, bool enable) {
    if (!chart || chart->Destroying()) return;
    if (enable)
        for (TChartSeries* s : chart->SeriesList())
            if (s != this && s->Active() && dynamic_cast<TCircledSeries*>(s)) return;
    chart->SetAxisVisible(enable);
    chart->SetClipPoints(enable);
    chart->SetView3DWalls(enable);
    if (auto* c = dynamic_cast<TCustomChart*>(chart)) {
        c->Frame().SetVisible(enable);
        c->BackWall().Brush().SetStyle(enable ? bsSolid : bsClear);
        c->SetAllowZoom(enable);
        c->SetAllowPanning(enable ? pmBoth : pmNone);
    }
    if (!chart->Canvas().RendersDepthNatively()) {
        TView3DOptions& o = chart->View3DOptions();
        o.SetOrthogonal(false);
        o.SetRotation(360);
        o.SetElevation(315);
        o.SetPerspective(0);
        o.SetTilt(0);
    }
}

void TCircledSeries::ResetPieView() {
    if (!ParentChart()) return;
    TView3DOptions& o = ParentChart()->View3DOptions();
    o.SetOrthogonal(false);
    o.SetRotation(0);
    o.SetElevation(305);
}

template <class F> void TCircledSeries::ShareWithRelated(F set) {
    if (!ParentChart()) return;
    for (TChartSeries* s : ParentChart()->SeriesList()) {
        auto* c = dynamic_cast<TCircledSeries*>(s);
        if (c && c != this && (typeid(*c) == typeid(*this) || InheritsFrom(typeid(*c)))) set(*c);
    }
}

void TCircledSeries::SetCircled(bool value) {
    Store(circled_, value);
    ShareWithRelated([&](TCircledSeries& s) { s.circled_ = value; });
}

void TCircledSeries::SetCustomXRadius(int value) {
    Store(customXRadius_, value);
    ShareWithRelated([&](TCircledSeries& s) { s.customXRadius_ = value; });
}

void TCircledSeries::SetCustomYRadius(int value) {
    Store(customYRadius_, value);
    ShareWithRelated([&](TCircledSeries& s) { s.customYRadius_ = value; });
}

void TCircledSeries::SetRotationAngle(int value) {
    if (value < 0)
        throw PieException(rtl::Format(KivConst::KivMsg_AngleRange, {KivConst::KivMsg_Rotation}));
    Store(rotationAngle_, value % 360);
    rotationRadians_ = rotationAngle_ * std::numbers::pi / 180;
}

TPoint TCircledSeries::PolarToScreen(double angle, double radiusX, double radiusY) const {
    const double a = angle + rotationRadians_;
    // Adding the centre before rounding gives the same pixel and cannot overflow.
    return {RoundPixel(circleCentreX_ + std::cos(a) * radiusX),
            RoundPixel(circleCentreY_ - std::sin(a) * radiusY)};
}

double TCircledSeries::ScreenToAngle(int x, int y) const {
    double a;
    if (x == circleCentreX_)
        a = y > circleCentreY_ ? -std::numbers::pi / 2 : std::numbers::pi / 2;
    else if (radiusY_ == 0)
        a = 0;
    else if (radiusX_ == 0) // a flat circle: only its two sides remain
        a = x > circleCentreX_ ? 0 : std::numbers::pi;
    else
        a = std::atan2(double(circleCentreY_ - y) / radiusY_,
                       double(x - circleCentreX_) / radiusX_);
    if (a < 0) a += TwoPi;
    a -= rotationRadians_;
    if (a < 0) a += TwoPi;
    return a;
}

void TCircledSeries::NormalizeCircle() {
    TRect& r = circleBounds_;
    if ((std::int64_t(r.right) - r.left) % 2 != 0) r.right = ClampInt(std::int64_t(r.right) - 1);
    if ((std::int64_t(r.bottom) - r.top) % 2 != 0) r.bottom = ClampInt(std::int64_t(r.bottom) - 1);
    if (std::int64_t(r.right) - r.left < 4) r.right = ClampInt(std::int64_t(r.left) + 4);
    if (std::int64_t(r.bottom) - r.top < 4) r.bottom = ClampInt(std::int64_t(r.top) + 4);
    circleSizeX_ = ClampInt(std::int64_t(r.right) - r.left);
    circleSizeY_ = ClampInt(std::int64_t(r.bottom) - r.top);
    circleCentreX_ = HalfSum(r.left, r.right);
    circleCentreY_ = HalfSum(r.top, r.bottom);
}

void TCircledSeries::UpdateRadii() {
    if (customXRadius_ != 0) {
        radiusX_ = customXRadius_;
        circleSizeX_ = ClampInt(2 * std::int64_t(customXRadius_));
    } else {
        radiusX_ = circleSizeX_ / 2;
    }
    if (customYRadius_ != 0) {
        radiusY_ = customYRadius_;
        circleSizeY_ = ClampInt(2 * std::int64_t(customYRadius_));
    } else {
        radiusY_ = circleSizeY_ / 2;
    }
    circleBounds_ = {ClampInt(std::int64_t(circleCentreX_) - radiusX_),
                     ClampInt(std::int64_t(circleCentreY_) - radiusY_),
                     ClampInt(std::int64_t(circleCentreX_) + radiusX_),
                     ClampInt(std::int64_t(circleCentreY_) + radiusY_)};
}

void TCircledSeries::FireBeforeDrawValues() {
    TChartSeries::FireBeforeDrawValues();
    if (!ParentChart()) return;
    circleBounds_ = ParentChart()->ChartRect();
    NormalizeCircle();
    if (Marks().Visible()) ReserveMarkRoom();
    if (circled_) MakeRound();
    UpdateRadii();
}

void TCircledSeries::ReserveMarkRoom() {
    TCustomAxisPanel& chart = *ParentChart();
    TSeriesMarks& marks = Marks();
    std::int64_t a = marks.ArrowLength();
    if (marks.Frame().Visible()) a += 2 * std::int64_t(marks.Frame().Width());
    chart.ApplyTextFont(marks.Font());
    const std::int64_t h = chart.FontHeight();
    int lines = 0;
    const std::int64_t w = chart.MeasureMultiLineText("W", lines) + chart.WidestMarkText() + a;
    TRect& r = circleBounds_;
    r = {ClampInt(r.left + w), ClampInt(r.top + a + h), ClampInt(r.right - w),
         ClampInt(r.bottom - a - h)};
    NormalizeCircle();
}

void TCircledSeries::MakeRound() {
    // Width over height of a pixel, in physical units: the devices here have square pixels.
    const double r = 1.0;
    UpdateRadii();
    TRect& b = circleBounds_;
    if (RoundPixel(radiusY_ * r) < radiusX_) {
        const std::int64_t d = radiusX_ - std::int64_t(RoundPixel(r * radiusY_));
        b.left = ClampInt(b.left + d);
        b.right = ClampInt(b.right - d);
    } else {
        const std::int64_t d = radiusY_ - std::int64_t(RoundPixel(radiusX_ / r));
        b.top = ClampInt(b.top + d);
        b.bottom = ClampInt(b.bottom - d);
    }
    NormalizeCircle();
}

TColor TCircledSeries::EffectiveCircleBackColor() const {
    TColor c = circleBackColor_;
    if (auto* chart = dynamic_cast<const TCustomChart*>(ParentChart()); c == AutoColor && chart)
        c = chart->BackColor();
    if (c == AutoColor && ParentChart()) c = ParentChart()->Color();
    return c;
}

double TCircledSeries::HighestX() const {
    return ActiveHorizAxis() ? ActiveHorizAxis()->Maximum() : 0;
}

double TCircledSeries::LowestX() const {
    return ActiveHorizAxis() ? ActiveHorizAxis()->Minimum() : 0;
}

double TCircledSeries::HighestY() const {
    return ActiveVertAxis() ? ActiveVertAxis()->Maximum() : 0;
}

double TCircledSeries::LowestY() const {
    return ActiveVertAxis() ? ActiveVertAxis()->Minimum() : 0;
}

void TCircledSeries::Assign(const TChartSeries& source) {
    if (auto* c = dynamic_cast<const TCircledSeries*>(&source)) {
        circled_ = c->circled_;
        rotationAngle_ = c->rotationAngle_;
        rotationRadians_ = c->rotationRadians_;
        customXRadius_ = c->customXRadius_;
        customYRadius_ = c->customYRadius_;
        circleBackColor_ = c->circleBackColor_;
    }
    TChartSeries::Assign(source);
}

} // namespace kiv
