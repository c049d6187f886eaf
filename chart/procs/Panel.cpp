// TCustomKivPanel: repaint requests, the paint handler, one frame's drawing and snapshots.

#include "chart/procs/Panel.h"

#include "chart/KivConst.h"
#include "chart/canvas/Rounding.h"
#include "chart/procs/Settings.h"
#include "rtl/Format.h"
#include "toolkit/bitmap/Bitmap.h"

#include <algorithm>
#include <utility>

namespace kiv {

void TZoomPanningRecord::Normalize() {
    if (X0 > X1) std::swap(X0, X1);
    if (Y0 > Y1) std::swap(Y0, Y1);
}

TCustomKivPanel::TCustomKivPanel()
    : canvas_(std::make_unique<TKivCanvas3D>()),
      view3DOptions_(std::make_unique<TView3DOptions>([this] { Invalidate(); })) {}

TCustomKivPanel::~TCustomKivPanel() {
    if (host_) host_->ReleaseClient();
}

void TCustomKivPanel::SetHost(IKivPanelHost* host) {
    if (host_ == host) return;
    // The canvas must not keep drawing into the old window's device between frames.
    if (!drawing_ && canvas_->Target() != canvas_->Buffer()) canvas_->AttachCanvas(nullptr);
    host_ = host;
    repaintPending_ = false;
    Invalidate();
}

int TCustomKivPanel::Width() const {
    return host_ ? host_->ClientSize().cx : width_;
}

int TCustomKivPanel::Height() const {
    return host_ ? host_->ClientSize().cy : height_;
}

void TCustomKivPanel::SetChart3DPercent(int value) {
    if (value < 1 || value > 100)
        throw ChartException(
            rtl::Format(KivConst::KivMsg_Chart3DPercent, {int64_t(1), int64_t(100)}));
    Store(chart3DPercent_, value);
}

void TCustomKivPanel::SetBufferedDisplay(bool value) {
    if (value == canvas_->BufferedDrawing()) return;
    canvas_->SetBufferedDrawing(value);
    Invalidate();
}

bool TCustomKivPanel::ClippingAllowed() const {
    if (canvas_->RendersDepthNatively()) return false;
    const bool metafiling = canvas_->Metafiling();
    return (!printing_ && !metafiling) || (printing_ && ClipWhenPrinting) ||
           (metafiling && ClipWhenMetafiling);
}

void TCustomKivPanel::Invalidate() {
    if (!autoRepaint_) return;
    // The frame being drawn may already be stale: it stays marked when it ends.
    if (drawing_) changedWhileDrawing_ = true;
    // While a request is pending the canvas is already marked: nothing more to do.
    if (repaintPending_) return;
    canvas_->MarkDirty();
    repaintPending_ = true;
    if (host_) host_->Invalidate();
}

void TCustomKivPanel::Refresh() {
    if (host_ && !drawing_) host_->PaintNow();
}

void TCustomKivPanel::SetChartRect(const TRect& rect) {
    chartRect_ = rect;
}

void TCustomKivPanel::NormalizeChartRect() {
    TRect& r = chartRect_;
    r.left = std::max(r.left, bounds_.left);
    r.top = std::max(r.top, bounds_.top);
    if (r.right < r.left)
        r.right = r.left + 1;
    else if (r.right == r.left)
        r.right = r.left + std::max(1, Width());
    if (r.bottom < r.top)
        r.bottom = r.top + 1;
    else if (r.bottom == r.top)
        r.bottom = r.top + std::max(1, Height());
}

void TCustomKivPanel::DrawToCanvas(raster::RasterDevice& target, const TRect& rect) {
    // A handler that asks for a frame while one is being drawn gets none.
    if (drawing_) return;
    drawing_ = true;
    // Changes from here on ask for another frame.
    repaintPending_ = false;
    changedWhileDrawing_ = false;
    bounds_ = canvas_->BeginDrawing(target, view3DOptions_.get(), rect, view3D_);
    const int w = bounds_.Width(), h = bounds_.Height(), b = borderWidth_;
    chartRect_ = {bounds_.left + b + MulDiv(marginLeft_, w, 100),
                  bounds_.top + b + MulDiv(marginTop_, h, 100),
                  bounds_.right - b - MulDiv(marginRight_, w, 100),
                  bounds_.bottom - b - MulDiv(marginBottom_, h, 100)};
    NormalizeChartRect();
    try {
        DrawChartContents(bounds_);
    } catch (...) {
        // An event handler failed: the canvas still goes back to the window.
        EndFrame(target, rect);
        throw;
    }
    EndFrame(target, rect);
}

void TCustomKivPanel::EndFrame(raster::RasterDevice& target, const TRect& rect) {
    canvas_->EndDrawing(target, WindowDevice(), rect);
    drawing_ = false;
    if (changedWhileDrawing_) canvas_->MarkDirty();
}

void TCustomKivPanel::Paint(raster::RasterDevice& window, const TRect& rect) {
    PaintServed();
    if (printing_ || drawing_) return;
    if (canvas_->Target() != &window) canvas_->AttachCanvas(&window);
    if (canvas_->RepaintFromBuffer()) return;
    DrawToCanvas(window, rect);
}

void TCustomKivPanel::Resized() {
    if (!drawing_ && canvas_->Target() != canvas_->Buffer()) canvas_->AttachCanvas(nullptr);
    canvas_->MarkDirty();
    Invalidate();
}

std::unique_ptr<raster::RasterDevice> TCustomKivPanel::CreateDevice(int width, int height) {
    if (deviceFactory_) return deviceFactory_(width, height);
    if (host_) return host_->CreateDevice(width, height);
    throw ChartException(KivConst::KivMsg_NoSnapshotDevice);
}

std::unique_ptr<tk::TBitmap> TCustomKivPanel::RenderToBitmap(TColor background, const TRect& rect) {
    const int width = std::max(rect.Width(), 0), height = std::max(rect.Height(), 0);
    auto bitmap = std::make_unique<tk::TBitmap>(width, height);
    if (width == 0 || height == 0) return bitmap;
    std::unique_ptr<raster::RasterDevice> device = CreateDevice(width, height);
    if (ColorToRGB(background) != clWhite) {
        device->SetBrush({ColorToRGB(background), bsSolid, nullptr});
        device->FillRect({0, 0, width, height});
    }
    const bool buffered = canvas_->BufferedDrawing();
    canvas_->SetBufferedDrawing(false);
    try {
        DrawToCanvas(*device, rect);
    } catch (...) {
        canvas_->SetBufferedDrawing(buffered);
        throw;
    }
    canvas_->SetBufferedDrawing(buffered);

    raster::Bitmap pixels;
    if (!device->ReadPixels(pixels)) throw ChartException(KivConst::KivMsg_NoSnapshotDevice);
    for (int y = 0; y < height; ++y) {
        uint8_t* line = bitmap->ScanLine(y);
        for (int x = 0; x < width; ++x, line += 3) {
            const TColor c = pixels.Pixel(x, y);
            line[0] = GetBValue(c);
            line[1] = GetGValue(c);
            line[2] = GetRValue(c);
        }
    }
    return bitmap;
}

void TCustomKivPanel::SaveSnapshotToFile(const std::string& fileName) {
    RenderToBitmap(clWhite, ClientRect())->SaveToFile(fileName);
}

void TCustomKivPanel::SetCursor(TCursor value) {
    cursor_ = value;
    if (host_) host_->SetCursor(value);
}

} // namespace kiv
