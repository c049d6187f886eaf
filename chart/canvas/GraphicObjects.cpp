// The pen, brush and font objects: plain values with a change handler.
#include "chart/canvas/Pen.h"

#include "chart/canvas/Brush.h"
#include "chart/canvas/Font.h"
#include "chart/canvas/Rounding.h"

namespace kiv {

TPen& TPen::operator=(const TPen& other) {
    if (this == &other) return *this;
    const bool changed = color_ != other.color_ || width_ != other.width_ ||
                         style_ != other.style_ || mode_ != other.mode_;
    color_ = other.color_;
    width_ = other.width_;
    style_ = other.style_;
    mode_ = other.mode_;
    if (changed) PropertyChanged();
    return *this;
}

void TPen::SetColor(TColor value) {
    Store(color_, value);
}

void TPen::SetWidth(int value) {
    Store(width_, value);
}

void TPen::SetStyle(TPenStyle value) {
    Store(style_, value);
}

void TPen::SetMode(TPenMode value) {
    Store(mode_, value);
}

void TPen::PropertyChanged() const {
    if (OnChange) OnChange();
}

TBrush& TBrush::operator=(const TBrush& other) {
    if (this == &other) return *this;
    const bool changed =
        color_ != other.color_ || style_ != other.style_ || bitmap_ != other.bitmap_;
    color_ = other.color_;
    style_ = other.style_;
    bitmap_ = other.bitmap_;
    if (changed) PropertyChanged();
    return *this;
}

void TBrush::SetColor(TColor value) {
    Store(color_, value);
}

void TBrush::SetStyle(TBrushStyle value) {
    Store(style_, value);
}

void TBrush::SetBitmap(std::shared_ptr<const raster::Bitmap> value) {
    Store(bitmap_, value);
}

void TBrush::PropertyChanged() const {
    if (OnChange) OnChange();
}

TFont& TFont::operator=(const TFont& other) {
    if (this == &other) return *this;
    const bool changed = name_ != other.name_ || size_ != other.size_ || color_ != other.color_ ||
                         style_ != other.style_ || charset_ != other.charset_ ||
                         pixelsPerInch_ != other.pixelsPerInch_;
    name_ = other.name_;
    size_ = other.size_;
    color_ = other.color_;
    style_ = other.style_;
    charset_ = other.charset_;
    pixelsPerInch_ = other.pixelsPerInch_;
    if (changed) PropertyChanged();
    return *this;
}

void TFont::SetName(const std::string& value) {
    Store(name_, value);
}

void TFont::SetSize(int value) {
    Store(size_, value);
}

int TFont::Height() const {
    return -MulDiv(size_, pixelsPerInch_, 72);
}

void TFont::SetHeight(int value) {
    SetSize(-MulDiv(value, 72, pixelsPerInch_));
}

void TFont::SetColor(TColor value) {
    Store(color_, value);
}

void TFont::SetStyle(TFontStyles value) {
    Store(style_, value);
}

void TFont::SetCharset(int value) {
    Store(charset_, value);
}

void TFont::SetPixelsPerInch(int value) {
    if (value > 0) Store(pixelsPerInch_, value);
}

void TFont::PropertyChanged() const {
    if (OnChange) OnChange();
}

TChartPen::TChartPen(std::function<void()> onChange) {
    OnChange = std::move(onChange);
}

TChartPen& TChartPen::operator=(const TChartPen& other) {
    if (this == &other) return *this;
    smallDots_ = other.smallDots_;
    visible_ = other.visible_;
    TPen::operator=(other);
    return *this;
}

void TChartPen::SetSmallDots(bool value) {
    Store(smallDots_, value);
}

void TChartPen::SetVisible(bool value) {
    Store(visible_, value);
}

// The presets change their defaults before the owner's handler is installed, so constructing
// one never notifies.
TChartHiddenPen::TChartHiddenPen(std::function<void()> onChange) {
    SetVisible(false);
    OnChange = std::move(onChange);
}

TDottedGrayPen::TDottedGrayPen(std::function<void()> onChange) {
    SetColor(clGray);
    SetStyle(psDot);
    OnChange = std::move(onChange);
}

TDarkGrayPen::TDarkGrayPen(std::function<void()> onChange) {
    SetColor(clGray);
    OnChange = std::move(onChange);
}

TChartAxisPen::TChartAxisPen(std::function<void()> onChange) {
    SetWidth(2);
    OnChange = std::move(onChange);
}

TChartArrowPen::TChartArrowPen(std::function<void()> onChange) {
    SetColor(clWhite);
    OnChange = std::move(onChange);
}

} // namespace kiv
