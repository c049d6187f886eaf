// The plain 2D operations: each selects what it needs on the target and calls one primitive.
#include "chart/canvas/Canvas3D.h"

namespace kiv {

TColor TKivCanvas3D::BackgroundColor() const {
    return target_ ? target_->BkColor() : clWhite;
}

TCanvasBackMode TKivCanvas3D::BackgroundMode() const {
    if (!target_) return cbmTransparent;
    return target_->GetBkMode();
}

unsigned TKivCanvas3D::TextAlignment() const {
    return target_ ? target_->TextAlign() : 0;
}

void TKivCanvas3D::SetBackgroundColor(TColor color) {
    if (target_) target_->SetBkColor(ColorToRGB(color));
}

void TKivCanvas3D::SetBackgroundMode(TCanvasBackMode mode) {
    if (target_) target_->SetBkMode(mode);
}

void TKivCanvas3D::SetTextAlignment(unsigned flags) {
    if (target_) target_->SetTextAlign(flags);
}

void TKivCanvas3D::PlotPixel(int x, int y, TColor color) {
    if (target_) target_->SetPixel(x, y, ColorToRGB(color));
}

void TKivCanvas3D::ArcOutline(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    if (!target_) return;
    SyncPen();
    target_->Arc(x1, y1, x2, y2, x3, y3, x4, y4);
}

void TKivCanvas3D::DrawGraphic(int x, int y, const raster::Bitmap* picture) {
    if (!target_ || !picture || picture->Empty()) return;
    SetBackgroundColor(Brush().Color());
    SelectTextColor(Font().Color());
    target_->DrawBitmap(x, y, *picture);
}

void TKivCanvas3D::StretchGraphic(const TRect& rect, const raster::Bitmap* picture) {
    if (!target_ || !picture) return;
    target_->StretchBitmap(rect, *picture);
}

void TKivCanvas3D::EllipseShape(int x0, int y0, int x1, int y1) {
    if (!target_) return;
    SyncPen();
    SyncBrush();
    target_->Ellipse(x0, y0, x1, y1);
}

void TKivCanvas3D::FillRectangle(const TRect& rect) {
    if (!target_) return;
    SyncBrush();
    target_->FillRect(rect);
}

void TKivCanvas3D::EraseRectangle(const TRect& rect) {
    FillRectangle(rect);
}

void TKivCanvas3D::BevelFrame(const TRect& rect, TColor topLeft, TColor bottomRight, int width) {
    if (!target_) return;
    Pen().SetWidth(1);
    TRect r = rect;
    --r.right;
    --r.bottom;
    for (int i = 0; i < width; ++i) {
        Pen().SetColor(topLeft);
        SyncPen();
        const TPoint upper[3] = {{r.left, r.bottom}, {r.left, r.top}, {r.right, r.top}};
        target_->Polyline(upper, 3);
        Pen().SetColor(bottomRight);
        SyncPen();
        const TPoint lower[3] = {{r.right, r.top}, {r.right, r.bottom}, {r.left - 1, r.bottom}};
        target_->Polyline(lower, 3);
        ++r.left;
        ++r.top;
        --r.right;
        --r.bottom;
    }
}

void TKivCanvas3D::LineToPoint(int x, int y) {
    if (!target_) return;
    SyncPen();
    target_->LineTo(x, y);
}

void TKivCanvas3D::MoveToPoint(int x, int y) {
    if (target_) target_->MoveTo(x, y);
}

void TKivCanvas3D::PieShape(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
    if (!target_) return;
    SyncPen();
    SyncBrush();
    target_->Pie(x1, y1, x2, y2, x3, y3, x4, y4);
}

void TKivCanvas3D::RectangleShape(int x0, int y0, int x1, int y1) {
    if (!target_) return;
    SyncPen();
    SyncBrush();
    target_->Rectangle(x0, y0, x1, y1);
}

void TKivCanvas3D::FramedRectangle(const TRect& rect) {
    RectangleShape(rect.left, rect.top, rect.right, rect.bottom);
}

void TKivCanvas3D::RoundRectangle(int x0, int y0, int x1, int y1, int cornerWidth,
                                  int cornerHeight) {
    if (!target_) return;
    SyncPen();
    SyncBrush();
    target_->RoundRect(x0, y0, x1, y1, cornerWidth, cornerHeight);
}

void TKivCanvas3D::HorizontalLine(int x0, int x1, int y) {
    LineSegment(x0, y, x1, y);
}

void TKivCanvas3D::VerticalLine(int x, int y0, int y1) {
    LineSegment(x, y0, x, y1);
}

void TKivCanvas3D::LineSegment(int x0, int y0, int x1, int y1) {
    if (!target_) return;
    SyncPen();
    target_->MoveTo(x0, y0);
    target_->LineTo(x1, y1);
}

void TKivCanvas3D::PolygonShape(const TPoint* points, int lastIndex) {
    if (!target_ || !points || lastIndex < 0) return;
    SyncPen();
    SyncBrush();
    target_->Polygon(points, lastIndex + 1);
}

void TKivCanvas3D::ClipToRectangle(const TRect& rect) {
    if (target_) target_->ClipRect(rect);
}

void TKivCanvas3D::RemoveClipping() {
    if (target_) target_->RemoveClip();
}

} // namespace kiv
