// The gradient that may fill a panel's background instead of its colour.
#pragma once

#include "chart/canvas/Canvas.h"
#include "chart/canvas/PublishedProperties.h"

#include <functional>

namespace kiv {

// A gradient between two colours in one of several directions.
class TChartGradient : public TPublishedProperties<TChartGradient> {
public:
    // changed: the owner's repaint request.
    explicit TChartGradient(std::function<void()> changed = {}) : changed_(std::move(changed)) {}
    TChartGradient(const TChartGradient&) = delete;
    TChartGradient& operator=(const TChartGradient&) = delete;

    TGradientDirection Direction() const { return direction_; }
    void SetDirection(TGradientDirection value) { Store(direction_, value); }
    TColor StartColor() const { return startColor_; }
    void SetStartColor(TColor value) { Store(startColor_, value); }
    TColor EndColor() const { return endColor_; }
    void SetEndColor(TColor value) { Store(endColor_, value); }
    bool Visible() const { return visible_; }
    void SetVisible(bool value) { Store(visible_, value); }
    // Copies all four properties (and repaints once when any differed).
    void Assign(const TChartGradient& source) {
        const bool same = direction_ == source.direction_ && startColor_ == source.startColor_ &&
                          endColor_ == source.endColor_ && visible_ == source.visible_;
        direction_ = source.direction_;
        startColor_ = source.startColor_;
        endColor_ = source.endColor_;
        visible_ = source.visible_;
        if (!same) PropertyChanged();
    }

private:
    friend TPublishedProperties<TChartGradient>;
    void PropertyChanged() const {
        if (changed_) changed_();
    }

    std::function<void()> changed_;
    TGradientDirection direction_ = gdTopBottom;
    TColor startColor_ = clWhite;
    TColor endColor_ = clYellow;
    bool visible_ = false;
};

} // namespace kiv
