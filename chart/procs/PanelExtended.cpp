// TCustomKivPanelExtended: the panel's background (gradient or colour, back image, border).

#include "chart/procs/PanelExtended.h"

#include "chart/procs/Settings.h"
#include "toolkit/bitmap/Bitmap.h"
#include "toolkit/bitmap/Picture.h"

namespace kiv {

namespace {

// The pixels of any picture kind, drawn at its own size.
std::shared_ptr<const raster::Bitmap> PixelsOf(tk::TGraphic* graphic) {
    if (!graphic || graphic->Empty()) return nullptr;
    tk::TBitmap drawn(graphic->Width(), graphic->Height());
    graphic->Draw(drawn, {0, 0, drawn.Width(), drawn.Height()});
    auto pixels = std::make_shared<raster::Bitmap>(drawn.Width(), drawn.Height());
    for (int y = 0; y < drawn.Height(); ++y)
        for (int x = 0; x < drawn.Width(); ++x) pixels->SetPixel(x, y, drawn.Pixel(x, y));
    return pixels;
}

} // namespace

TCustomKivPanelExtended::TCustomKivPanelExtended()
    : gradient_([this] { Invalidate(); }), backImage_(std::make_unique<tk::TPicture>()) {}

TCustomKivPanelExtended::~TCustomKivPanelExtended() = default;

void TCustomKivPanelExtended::SetBackImage(std::unique_ptr<tk::TGraphic> graphic) {
    backPixels_ = PixelsOf(graphic.get());
    backImage_->SetGraphic(std::move(graphic));
    Invalidate();
}

void TCustomKivPanelExtended::LoadBackImage(const std::string& fileName) {
    // The picture keeps what it held when the file cannot be read.
    tk::TPicture picture;
    picture.LoadFromFile(fileName);
    auto pixels = PixelsOf(picture.Graphic());
    backImage_->LoadFromFile(fileName);
    backPixels_ = std::move(pixels);
    Invalidate();
}

void TCustomKivPanelExtended::PaintBackground(const TRect& rect) {
    FillBackground(rect);
    if (BackImageBehindPanel()) DrawBackImage(rect, 0);
    TKivCanvas3D& canvas = Canvas();
    if (canvas.RendersDepthNatively() || (Printing() && !PrintPanelBackground)) return;
    canvas.Pen().SetStyle(psSolid);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetMode(pmCopy);
    canvas.Brush().SetStyle(bsClear);
    TRect r = rect;
    DrawBevel(r, BevelOuter());
    if (BorderWidth() > 0) {
        canvas.BevelFrame(r, Color(), Color(), BorderWidth());
        r = {r.left + BorderWidth(), r.top + BorderWidth(), r.right - BorderWidth(),
             r.bottom - BorderWidth()};
    }
    DrawBevel(r, BevelInner());
}

void TCustomKivPanelExtended::DrawBevel(TRect& r, TPanelBevel bevel) {
    if (bevel == bvNone || BevelWidth() <= 0) return;
    const TColor topLeft = bevel == bvLowered ? clBtnShadow : clBtnHighlight;
    const TColor bottomRight = bevel == bvRaised ? clBtnShadow : clBtnHighlight;
    Canvas().BevelFrame(r, topLeft, bottomRight, BevelWidth());
    const int w = BevelWidth();
    r = {r.left + w, r.top + w, r.right - w, r.bottom - w};
}

void TCustomKivPanelExtended::FillBackground(const TRect& rect) {
    TKivCanvas3D& canvas = Canvas();
    if (gradient_.Visible()) {
        const TGradientDirection direction = gradient_.Direction();
        const bool forward = direction == gdTopBottom || direction == gdLeftRight;
        canvas.GradientFill(rect, forward ? gradient_.StartColor() : gradient_.EndColor(),
                            direction, forward ? gradient_.EndColor() : gradient_.StartColor());
    } else if (!Printing() || PrintPanelBackground) {
        canvas.Brush().SetColor(Color());
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetBitmap(nullptr);
        canvas.EraseRectangle(rect);
    }
}

void TCustomKivPanelExtended::DrawBackImage(const TRect& rect, int depth) {
    if (!backPixels_) return;
    TKivCanvas3D& canvas = Canvas();
    if (depth > 0 && View3D() && !View3DOptions().Orthogonal()) return;
    auto project = [&](TPoint p) { return depth > 0 ? canvas.ProjectPoint(p, depth) : p; };
    const raster::Bitmap* picture = backPixels_.get();
    if (BackImageMode() == pbmStretch) {
        const TPoint a = project({rect.left, rect.top}), b = project({rect.right, rect.bottom});
        canvas.StretchGraphic({a.x, a.y, b.x, b.y}, picture);
        return;
    }
    if (ClippingAllowed()) {
        if (depth > 0)
            canvas.ClipToBox(rect, 0, depth);
        else
            canvas.ClipToRectangle(rect);
    }
    const int pw = picture->Width(), ph = picture->Height();
    if (BackImageMode() == pbmTile) {
        for (int y = rect.top; y < rect.bottom; y += ph)
            for (int x = rect.left; x < rect.right; x += pw) {
                const TPoint p = project({x, y});
                canvas.DrawGraphic(p.x, p.y, picture);
            }
    } else {
        FillBackground(rect);
        const TPoint p =
            project({rect.left + (rect.Width() - pw) / 2, rect.top + (rect.Height() - ph) / 2});
        canvas.DrawGraphic(p.x, p.y, picture);
    }
    canvas.RemoveClipping();
}

} // namespace kiv
