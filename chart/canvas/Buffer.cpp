// Frames and buffered drawing: a frame is composed in an off-screen device of the target's kind
// and shown with one block copy; an unchanged chart repaints from that buffer without drawing.

#include "chart/canvas/Canvas3D.h"

#include <algorithm>

namespace kiv {

TKivCanvas3D::TKivCanvas3D() = default;

TKivCanvas3D::~TKivCanvas3D() = default;

void TKivCanvas3D::FreeBuffer() {
    if (!buffer_) return;
    // Never leave the canvas drawing into a freed buffer.
    if (target_ == buffer_.get()) AttachCanvas(nullptr);
    buffer_.reset();
}

TRect TKivCanvas3D::BeginDrawing(raster::RasterDevice& target, TView3DOptions* options,
                                 const TRect& bounds, bool is3D) {
    bounds_ = bounds;
    view3DOptions_ = options;
    is3D_ = is3D;
    orthogonal_ = false;
    zoom_ = 1.0;
    if (is3D && options) {
        orthogonal_ = options->Orthogonal();
        zoom_ = options->Zoom() * 0.01;
        zoomText_ = options->ZoomText();
        if (!orthogonal_) ComputeProjectionTerms();
    }
    if (!bufferedDrawing_) {
        AttachCanvas(&target);
        return bounds;
    }
    const int width = std::max(bounds.Width(), 0);
    const int height = std::max(bounds.Height(), 0);
    if (buffer_ && (buffer_->Width() != width || buffer_->Height() != height)) FreeBuffer();
    if (!buffer_) buffer_ = target.CreateCompatible(width, height, monochromeBuffer_);
    AttachCanvas(buffer_.get());
    return {0, 0, width, height};
}

void TKivCanvas3D::EndDrawing(raster::RasterDevice& destination,
                              raster::RasterDevice* defaultTarget, const TRect& destRect) {
    if (bufferedDrawing_ && buffer_) {
        destination.BlockCopy(destRect.left, destRect.top, buffer_->Width(), buffer_->Height(),
                              *buffer_, 0, 0);
        dirty_ = false;
    }
    AttachCanvas(defaultTarget);
}

bool TKivCanvas3D::RepaintFromBuffer() {
    if (dirty_ || !buffer_ || !target_ || target_ == buffer_.get()) return false;
    target_->BlockCopy(0, 0, buffer_->Width(), buffer_->Height(), *buffer_, 0, 0);
    return true;
}

void TKivCanvas3D::SetBufferedDrawing(bool value) {
    bufferedDrawing_ = value;
    if (!value && buffer_) {
        FreeBuffer();
        dirty_ = true;
    }
}

void TKivCanvas3D::SetMonochromeBuffer(bool value) {
    if (monochromeBuffer_ == value) return;
    monochromeBuffer_ = value;
    FreeBuffer();
    dirty_ = true;
    if (view3DOptions_) view3DOptions_->Repaint();
}

} // namespace kiv
