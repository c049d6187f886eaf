// Round series: the circle's rectangle, centre and radii within the chart, the rotation, and the
// correction that keeps the circle round on screen.
#pragma once

#include "chart/engine/Series.h"

namespace kiv {

// The base of the round series: the circle's size, position and rotation.
class TCircledSeries : public TChartSeries {
public:
    TCircledSeries();
    // The chart gets its axes and walls back unless another round series stays on it.
    ~TCircledSeries() override;

    // Published properties. Circled and the custom radii are shared by every series of the chart
    // of a related kind.
    bool Circled() const { return circled_; }
    void SetCircled(bool value);
    int CustomXRadius() const { return customXRadius_; }
    void SetCustomXRadius(int value);
    int CustomYRadius() const { return customYRadius_; }
    void SetCustomYRadius(int value);
    int RotationAngle() const { return rotationAngle_; }
    // Raises PieException below 0; 360 and above are kept modulo 360.
    void SetRotationAngle(int value);
    TColor CircleBackColor() const { return circleBackColor_; }
    void SetCircleBackColor(TColor value) { Store(circleBackColor_, value); }

    // Geometry of the current pass
    const TRect& CircleBounds() const { return circleBounds_; }
    void SetCircleBounds(const TRect& rect) { circleBounds_ = rect; }
    int CircleCentreX() const { return circleCentreX_; }
    int CircleCentreY() const { return circleCentreY_; }
    int CircleSizeX() const { return circleSizeX_; }
    int CircleSizeY() const { return circleSizeY_; }
    int RadiusX() const { return radiusX_; }
    int RadiusY() const { return radiusY_; }
    double RotationRadians() const { return rotationRadians_; }

    // The pixel at angle (radians, counter-clockwise, before rotation) on the ellipse of the
    // given radii around the centre.
    TPoint PolarToScreen(double angle, double radiusX, double radiusY) const;
    // The angle of a pixel around the centre, in [0, 2π), measured from the rotation origin.
    double ScreenToAngle(int x, int y) const;
    // Even sizes of at least 4 pixels, and the centre of the bounds.
    void NormalizeCircle();
    // Radii from the custom radii or the sizes; the bounds around the centre.
    void UpdateRadii();
    // The background of slices drawn with a hatch: the chart's when the series has none.
    TColor EffectiveCircleBackColor() const;

    // A round series switches the chart's axes, walls, clipping, zoom and panning off while it
    // is shown, and back on when it leaves or is hidden.
    void SetParentChart(TCustomAxisPanel* value) override;
    void SetActive(bool value) override;
    void ApplyHostChartSettings(TCustomAxisPanel* chart, bool enable);
    // A view of the pie from above and in front.
    void ResetPieView();

    void FireBeforeDrawValues() override;
    bool NeedsAxes() const override { return false; }
    bool IsOnAxis(const TCustomChartAxis*) const override { return true; }
    // A round series never changes the axes' range.
    double HighestX() const override;
    double LowestX() const override;
    double HighestY() const override;
    double LowestY() const override;
    bool InheritsFrom(const std::type_info& cls) const override {
        return cls == typeid(TCircledSeries) || TChartSeries::InheritsFrom(cls);
    }
    void Assign(const TChartSeries& source) override;

protected:
    // Keeps room for the marks around the circle.
    void ReserveMarkRoom();
    // Shrinks the longer side so the circle is round in physical units.
    void MakeRound();

private:
    // Writes a shared setting into the chart's other series of a related round kind.
    template <class F> void ShareWithRelated(F set);

    bool circled_ = false;
    int customXRadius_ = 0;
    int customYRadius_ = 0;
    int rotationAngle_ = 0;
    double rotationRadians_ = 0;
    TColor circleBackColor_ = AutoColor;
    TRect circleBounds_;
    int circleCentreX_ = 0, circleCentreY_ = 0;
    int circleSizeX_ = 0, circleSizeY_ = 0;
    int radiusX_ = 0, radiusY_ = 0;
};

} // namespace kiv
