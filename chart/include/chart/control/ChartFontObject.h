// A chart part with a font of its own (titles and legend): any change of the font repaints the
// chart.
#pragma once

#include "chart/canvas/Font.h"

namespace kiv {

class TCustomChart;

// The default font of chart texts.
inline constexpr const char* DefaultFontName = "Arial";
constexpr int DefaultFontSize = 8;

// A part of a chart that has a font (titles, legend).
class TChartFontObject {
public:
    explicit TChartFontObject(TCustomChart* chart);
    TChartFontObject(const TChartFontObject&) = delete;
    TChartFontObject& operator=(const TChartFontObject&) = delete;
    virtual ~TChartFontObject() = default;

    TCustomChart* ParentChart() const { return chart_; }
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    // Copies the font.
    void Assign(const TChartFontObject& source) { font_.Assign(source.font_); }

protected:
    // The chart's repaint request.
    void Repaint() const;

private:
    TCustomChart* chart_;
    TFont font_;
};

} // namespace kiv
