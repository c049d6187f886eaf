// The canvas base: the drawing target and the pen, brush and font it draws with. The target
// receives a state only when it differs from what it already holds, so a frame that draws many
// shapes with one pen selects that pen once.
#include "chart/canvas/Canvas3D.h"

namespace kiv {

namespace {

bool SamePen(const TPen& a, const TPen& b) {
    return a.Color() == b.Color() && a.Width() == b.Width() && a.Style() == b.Style() &&
           a.Mode() == b.Mode();
}

} // namespace

TKivCanvas::TKivCanvas() = default;

TKivCanvas::~TKivCanvas() = default;

void TKivCanvas::AttachCanvas(raster::RasterDevice* target) {
    target_ = target;
    targetPenValid_ = false;
    targetBrushValid_ = false;
    targetFontValid_ = false;
    targetTextColorValid_ = false;
}

void TKivCanvas::ResetToDefaults() {
    pen_.SetColor(clBlack);
    pen_.SetWidth(1);
    pen_.SetStyle(psSolid);
    brush_.SetColor(clWhite);
    brush_.SetStyle(bsSolid);
    brush_.SetBitmap(nullptr);
    font_.SetColor(clBlack);
    font_.SetSize(10);
    SetBackgroundColor(clWhite);
    SetBackgroundMode(cbmTransparent);
}

void TKivCanvas::UsePen(const TChartPen& pen) {
    smallDots_ = false;
    if (!pen.Visible()) {
        pen_.SetStyle(psClear);
    } else if (pen.SmallDots() && pen.Width() == 1) {
        pen_.Assign(pen);
        pen_.SetStyle(psSolid);
        smallDots_ = true;
        smallDotsPen_ = pen_;
    } else {
        pen_.Assign(pen);
    }
}

int TKivCanvas::MeasureTextWidth(std::string_view text) {
    if (!target_) return 0;
    SyncFont();
    TSize size;
    return target_->TextExtent(text, size) ? size.cx : 0;
}

int TKivCanvas::MeasureTextHeight(std::string_view text) {
    if (!target_) return 0;
    SyncFont();
    TSize size;
    return target_->TextExtent(text, size) ? size.cy : 0;
}

void TKivCanvas::SyncPen() {
    raster::Pen pen{ColorToRGB(pen_.Color()), pen_.Width(), pen_.Style(), pen_.Mode()};
    if (smallDots_) {
        if (SamePen(pen_, smallDotsPen_))
            pen.style = psAlternate;
        else
            smallDots_ = false; // the pen was changed since UsePen
    }
    if (targetPenValid_ && pen == targetPen_) return;
    target_->SetPen(pen);
    targetPen_ = pen;
    targetPenValid_ = true;
}

void TKivCanvas::SyncBrush() {
    raster::Brush brush{ColorToRGB(brush_.Color()), brush_.Style(), nullptr};
    if (brush_.HasBitmap()) brush.pattern = brush_.Bitmap();
    if (targetBrushValid_ && brush == targetBrush_) return;
    target_->SetBrush(brush);
    targetBrush_ = std::move(brush);
    targetBrushValid_ = true;
}

raster::Font TKivCanvas::DeviceFont() const {
    raster::Font font;
    font.name = font_.Name();
    font.size = font_.Size();
    font.style = font_.Style();
    font.escapement = 0;
    return font;
}

void TKivCanvas::SyncFont() {
    if (targetFontValid_ && targetFont_.size == font_.Size() && targetFont_.escapement == 0 &&
        targetFont_.style == font_.Style() && targetFont_.name == font_.Name())
        return;
    SelectFont(DeviceFont());
}

void TKivCanvas::SelectFont(const raster::Font& font) {
    if (targetFontValid_ && targetFont_ == font) return;
    target_->SetFont(font);
    targetFont_ = font;
    targetFontValid_ = true;
}

void TKivCanvas::SelectTextColor(TColor color) {
    color = ColorToRGB(color);
    if (targetTextColorValid_ && targetTextColor_ == color) return;
    target_->SetTextColor(color);
    targetTextColor_ = color;
    targetTextColorValid_ = true;
}

void TKivCanvas::TextOutInFontColor(int x, int y, std::string_view text) {
    // As on the platform's canvas, text under a clear brush leaves what lies behind it.
    if (brush_.Style() == bsClear && target_->GetBkMode() != cbmTransparent)
        target_->SetBkMode(cbmTransparent);
    SelectTextColor(font_.Color());
    target_->TextOut(x, y, text);
}

void TCanvas3D::Assign(const TCanvas3D& source) {
    SetMonochromeBuffer(source.MonochromeBuffer());
}

void TKivCanvas::SelectBrush(const raster::Brush& brush) {
    if (targetBrushValid_ && targetBrush_ == brush) return;
    target_->SetBrush(brush);
    targetBrush_ = brush;
    targetBrushValid_ = true;
}

} // namespace kiv
