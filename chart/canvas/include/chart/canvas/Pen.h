// Pens: the plain pen of a canvas (colour, width, style, mode) and the chart pens that every chart
// element draws with, which add visibility and small dots, and their presets. Each setter that
// changes a value calls OnChange.
#pragma once

#include "chart/canvas/Color.h"
#include "chart/canvas/PublishedProperties.h"
#include "chart/canvas/Styles.h"

#include <functional>

namespace kiv {

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

class TChartHiddenPen : public TChartPen {
public:
    explicit TChartHiddenPen(std::function<void()> onChange = {});
};

class TDottedGrayPen : public TChartPen {
public:
    explicit TDottedGrayPen(std::function<void()> onChange = {});
};

class TDarkGrayPen : public TChartPen {
public:
    explicit TDarkGrayPen(std::function<void()> onChange = {});
};

class TChartAxisPen : public TChartPen {
public:
    explicit TChartAxisPen(std::function<void()> onChange = {});
};

class TChartArrowPen : public TChartPen {
public:
    explicit TChartArrowPen(std::function<void()> onChange = {});
};

} // namespace kiv
