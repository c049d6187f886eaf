// The brush of a canvas: colour, style, and a pattern bitmap that tiles the fill. Each setter that
// changes a value calls OnChange.
#pragma once

#include "chart/canvas/Color.h"
#include "chart/canvas/PublishedProperties.h"
#include "chart/canvas/Styles.h"
#include "raster/RasterDevice.h"

#include <functional>
#include <memory>

namespace kiv {

// A brush: colour, style (solid, clear, hatches) and an optional bitmap pattern.
class TBrush : public TPublishedProperties<TBrush> {
public:
    TBrush() = default;
    TBrush(const TBrush& other) = default;
    TBrush& operator=(const TBrush& other);
    virtual ~TBrush() = default;

    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle value);
    // A pattern bitmap tiles the fill instead of colour and style while it is set and not empty.
    const std::shared_ptr<const raster::Bitmap>& Bitmap() const { return bitmap_; }
    void SetBitmap(std::shared_ptr<const raster::Bitmap> value);
    bool HasBitmap() const { return bitmap_ && !bitmap_->Empty(); }
    void Assign(const TBrush& source) { *this = source; }

    std::function<void()> OnChange;

protected:
    friend TPublishedProperties<TBrush>;
    // Calls OnChange.
    void PropertyChanged() const;

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    std::shared_ptr<const raster::Bitmap> bitmap_;
};

} // namespace kiv
