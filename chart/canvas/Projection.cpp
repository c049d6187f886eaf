// Projection of chart coordinates with a depth onto the target: identity in 2D, a shear by depth
// in orthogonal 3D, a rotated (optionally perspective) view otherwise.
#include "chart/canvas/Canvas3D.h"

#include "chart/canvas/Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

namespace kiv {

namespace {

// Pixel sums stay in int range even for absurd coordinates.
int AddClamped(int a, int b) {
    const std::int64_t sum = static_cast<std::int64_t>(a) + b;
    if (sum > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (sum < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return static_cast<int>(sum);
}

} // namespace

void TKivCanvas3D::ComputeProjectionTerms() {
    const double toRadians = std::numbers::pi / 180.0;
    double e = 0;
    double r = 0;
    double t = 0;
    if (view3DOptions_) {
        e = view3DOptions_->Elevation() * toRadians;
        r = view3DOptions_->Rotation() * toRadians;
        t = view3DOptions_->Tilt() * toRadians;
    }
    const double sE = std::sin(e), cE = std::cos(e);
    const double sR = std::sin(r), cR = std::cos(r);
    const double sT = std::sin(t), cT = std::cos(t);
    kXX_ = std::max(sR * sE * sT + cR * cT, 0.00001);
    kXY_ = cE * sT;
    kXZ_ = cR * sE * sT - cT * sR;
    kYX_ = cT * sR * sE - cR * sT;
    kYY_ = std::max(cE * cT, 0.00001);
    kYZ_ = cR * cT * sE + sR * sT;
    pX_ = static_cast<long double>(cE) * sR;
    pY_ = sE;
    pZ_ = cE * cR;
    perspective_ = 0;
}

void TKivCanvas3D::SetupProjection(int depth, const TRect& chartRect) {
    xCenter_ = HalfSum(chartRect.left, chartRect.right);
    yCenter_ = HalfSum(chartRect.top, chartRect.bottom);
    zCenter_ = depth / 2;
    xCenterOffset_ = xCenter_;
    yCenterOffset_ = yCenter_;
    if (view3DOptions_) {
        xCenterOffset_ = AddClamped(xCenter_, view3DOptions_->HorizOffset());
        yCenterOffset_ = AddClamped(yCenter_, view3DOptions_->VertOffset());
        if (view3DOptions_->Perspective() > 0)
            perspective_ = view3DOptions_->Perspective() / 35000.0;
    }
}

void TKivCanvas3D::ProjectPoint(int& x, int& y, int z) const {
    if (orthogonal_) {
        const double px = zoom_ * (static_cast<double>(x) + z - xCenter_);
        const double py = zoom_ * (static_cast<double>(y) - yCenter_ - z);
        x = AddClamped(RoundPixel(px), xCenterOffset_);
        y = AddClamped(RoundPixel(py), yCenterOffset_);
    } else if (is3D_) {
        const double dx = static_cast<double>(x) - xCenter_;
        const double dy = static_cast<double>(y) - yCenter_;
        const double dz = static_cast<double>(z) - zCenter_;
        double f = zoom_;
        if (perspective_ > 0)
            f = static_cast<double>((1 - perspective_ * (dx * pX_ - dy * pY_ + dz * pZ_)) * zoom_);
        x = AddClamped(RoundPixel((dx * kXX_ + dy * kXY_ + dz * kXZ_) * f), xCenterOffset_);
        y = AddClamped(RoundPixel((dx * kYX_ + dy * kYY_ + dz * kYZ_) * f), yCenterOffset_);
    }
}

TPoint TKivCanvas3D::WorldToScreen(int x, int y, int z) const {
    ProjectPoint(x, y, z);
    return {x, y};
}

void TKivCanvas3D::ScreenToWorld(int& x, int& y, int z) const {
    if (zoom_ == 0) return;
    const double s = 1.0 / zoom_;
    if (orthogonal_) {
        x = AddClamped(AddClamped(RoundPixel(s * (static_cast<double>(x) - xCenterOffset_)), -z),
                       xCenter_);
        y = AddClamped(AddClamped(RoundPixel(s * (static_cast<double>(y) - yCenterOffset_)), z),
                       yCenter_);
    } else if (is3D_ && kXX_ != 0 && kYY_ != 0) {
        const double dz = static_cast<double>(z) - zCenter_;
        const double sx = s * (static_cast<double>(x) - xCenterOffset_);
        const double sy = s * (static_cast<double>(y) - yCenterOffset_);
        const double wx = (sx - dz * kXZ_ - (static_cast<double>(y) - yCenter_) * kXY_) / kXX_;
        const double wy = (sy - dz * kYZ_ - (static_cast<double>(x) - xCenter_) * kYX_) / kYY_;
        x = AddClamped(RoundPixel(wx), xCenter_);
        y = AddClamped(RoundPixel(wy), yCenter_);
    }
}

void TKivCanvas3D::BeginFrontPlane() {
    was3D_ = is3D_;
    is3D_ = false;
}

void TKivCanvas3D::EndFrontPlane() {
    is3D_ = was3D_;
}

} // namespace kiv
