// The pen, brush and font objects: plain values with a change handler.
#include "chart/canvas/Pen.h"

#include "chart/canvas/Brush.h"
#include "chart/canvas/Font.h"
#include "chart/canvas/Rounding.h"

namespace kiv {

namespace {

template <class T> bool Update(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}

} // namespace

TPen& TPen::operator=(const TPen& other) {
    if (this == &other) return *this;
    const bool changed = color_ != other.color_ || width_ != other.width_ ||
                         style_ != other.style_ || mode_ != other.mode_;
    color_ = other.color_;
    width_ = other.width_;
    style_ = other.style_;
    mode_ = other.mode_;
    if (changed) Changed();
    return *this;
}

void TPen::SetColor(TColor value) {
    if (Update(color_, value)) Changed();
}

void TPen::SetWidth(int value) {
    if (Update(width_, value)) Changed();
}

void TPen::SetStyle(TPenStyle value) {
    if (Update(style_, value)) Changed();
}

void TPen::SetMode(TPenMode value) {
    if (Update(mode_, value)) Changed();
}

void TPen::Changed() const {
    if (OnChange) OnChange();
}

TBrush& TBrush::operator=(const TBrush& other) {
    if (this == &other) return *this;
    const bool changed =
        color_ != other.color_ || style_ != other.style_ || bitmap_ != other.bitmap_;
    color_ = other.color_;
    style_ = other.style_;
    bitmap_ = other.bitmap_;
    if (changed) Changed();
    return *this;
}

void TBrush::SetColor(TColor value) {
    if (Update(color_, value)) Changed();
}

void TBrush::SetStyle(TBrushStyle value) {
    if (Update(style_, value)) Changed();
}

void TBrush::SetBitmap(std::shared_ptr<const raster::Bitmap> value) {
    if (Update(bitmap_, value)) Changed();
}

void TBrush::Changed() const {
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
    if (changed) Changed();
    return *this;
}

void TFont::SetName(const std::string& value) {
    if (Update(name_, value)) Changed();
}

void TFont::SetSize(int value) {
    if (Update(size_, value)) Changed();
}

int TFont::Height() const {
    return -MulDiv(size_, pixelsPerInch_, 72);
}

void TFont::SetHeight(int value) {
    SetSize(-MulDiv(value, 72, pixelsPerInch_));
}

void TFont::SetColor(TColor value) {
    if (Update(color_, value)) Changed();
}

void TFont::SetStyle(TFontStyles value) {
    if (Update(style_, value)) Changed();
}

void TFont::SetCharset(int value) {
    if (Update(charset_, value)) Changed();
}

void TFont::SetPixelsPerInch(int value) {
    if (value > 0 && Update(pixelsPerInch_, value)) Changed();
}

void TFont::Changed() const {
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
    if (Update(smallDots_, value)) Changed();
}

void TChartPen::SetVisible(bool value) {
    if (Update(visible_, value)) Changed();
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
