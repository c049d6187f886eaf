// The title of an axis: caption, angle and font.
#pragma once

#include "chart/canvas/Font.h"

#include <string>

namespace kiv {

class TCustomChartAxis;

// The title of an axis: its text, angle and font.
class TChartAxisTitle {
public:
    explicit TChartAxisTitle(TCustomChartAxis* axis);

    // Degrees 0..360; anything else raises ChartException.
    int Angle() const { return angle_; }
    void SetAngle(int value);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    TFont& Font() { return font_; }
    TCustomChartAxis* Axis() const { return axis_; }
    void Assign(const TChartAxisTitle& source);

private:
    void Changed() const;

    TCustomChartAxis* axis_;
    int angle_;
    std::string caption_;
    TFont font_;
};

} // namespace kiv
