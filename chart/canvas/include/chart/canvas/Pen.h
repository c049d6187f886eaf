// Pens: the plain pen of a canvas (colour, width, style, mode) and the chart pens that every chart
// element draws with, which add visibility and small dots, and their presets. Each setter that
// changes a value calls OnChange.
#pragma once

#include "chart/canvas/Color.h"
#include "chart/canvas/PublishedProperties.h"
#include "chart/canvas/Styles.h"

#include <functional>

namespace kiv {

// A pen: colour, width, style and mode.
class TPen : public TPublishedProperties<TPen> {
public:
    TPen() = default;
    TPen(const TPen& other) = default;
    // Copies the drawing fields only; the change handler stays.
    TPen& operator=(const TPen& other);
    virtual ~TPen() = default;

    TColor Color() const { return color_; }
    void SetColor(TColor value);
    int Width() const { return width_; }
    void SetWidth(int value);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle value);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode value);
    void Assign(const TPen& source) { *this = source; }

    std::function<void()> OnChange;

protected:
    friend TPublishedProperties<TPen>;
    // Calls OnChange.
    void PropertyChanged() const;

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

// A chart's pen: a pen that can be hidden and drawn with small dots, and tells its owner of
// changes.
class TChartPen : public TPen {
public:
    explicit TChartPen(std::function<void()> onChange = {});
    TChartPen(const TChartPen& other) = default;
    // Copies Visible and SmallDots, then the pen fields.
    TChartPen& operator=(const TChartPen& other);
    void Assign(const TChartPen& source) { *this = source; }
    using TPen::Assign;

    // A 1-pixel pen drawn as alternate pixels.
    bool SmallDots() const { return smallDots_; }
    void SetSmallDots(bool value);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    // The component that created the pen (not owned).
    void* Owner = nullptr;

private:
    bool smallDots_ = false;
    bool visible_ = true;
};

// A chart pen that starts hidden.
class TChartHiddenPen : public TChartPen {
public:
    explicit TChartHiddenPen(std::function<void()> onChange = {});
};

// A chart pen that starts gray and dotted (grids).
class TDottedGrayPen : public TChartPen {
public:
    explicit TDottedGrayPen(std::function<void()> onChange = {});
};

// A chart pen that starts gray (solid, where the dotted gray pen is dotted).
class TDarkGrayPen : public TChartPen {
public:
    explicit TDarkGrayPen(std::function<void()> onChange = {});
};

// The pen of an axis line, two pixels wide by default.
class TChartAxisPen : public TChartPen {
public:
    explicit TChartAxisPen(std::function<void()> onChange = {});
};

// The pen of the arrows from marks to their points, white by default.
class TChartArrowPen : public TChartPen {
public:
    explicit TChartArrowPen(std::function<void()> onChange = {});
};

} // namespace kiv
