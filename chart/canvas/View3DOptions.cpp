#include "chart/canvas/View3DOptions.h"

namespace kiv {

TView3DOptions::TView3DOptions(std::function<void()> invalidate)
    : invalidate_(std::move(invalidate)) {}

void TView3DOptions::Repaint() const {
    if (invalidate_) invalidate_();
}

void TView3DOptions::SetElevation(int value) {
    Store(elevation_, value);
}

void TView3DOptions::SetHorizOffset(int value) {
    if (horizOffset_ == value) return;
    horizOffset_ = value;
    Repaint();
    if (OnScrolled) OnScrolled(true);
}

void TView3DOptions::SetOrthogonal(bool value) {
    Store(orthogonal_, value);
}

void TView3DOptions::SetPerspective(int value) {
    Store(perspective_, value);
}

void TView3DOptions::SetRotation(int value) {
    Store(rotation_, value);
}

void TView3DOptions::SetTilt(int value) {
    Store(tilt_, value);
}

void TView3DOptions::SetVertOffset(int value) {
    if (vertOffset_ == value) return;
    vertOffset_ = value;
    Repaint();
    if (OnScrolled) OnScrolled(false);
}

void TView3DOptions::SetZoom(int value) {
    if (zoom_ == value) return;
    if (OnZoomChanged) OnZoomChanged(value);
    zoom_ = value;
    Repaint();
}

void TView3DOptions::SetZoomText(bool value) {
    Store(zoomText_, value);
}

void TView3DOptions::Assign(const TView3DOptions& source) {
    if (this == &source) return;
    elevation_ = source.elevation_;
    horizOffset_ = source.horizOffset_;
    orthogonal_ = source.orthogonal_;
    perspective_ = source.perspective_;
    rotation_ = source.rotation_;
    tilt_ = source.tilt_;
    vertOffset_ = source.vertOffset_;
    zoom_ = source.zoom_;
    zoomText_ = source.zoomText_;
    Repaint();
}

} // namespace kiv
