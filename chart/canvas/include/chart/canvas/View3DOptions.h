// How a chart is seen in 3D: elevation, rotation, tilt, perspective, offsets and zoom. Owned by the
// panel; a change asks the panel to repaint.
#pragma once

#include "chart/canvas/PublishedProperties.h"

#include <functional>

namespace kiv {

// How a 3D chart is seen: elevation, rotation, tilt, perspective, offsets and zoom.
class TView3DOptions : public TPublishedProperties<TView3DOptions> {
public:
    // invalidate: the owning panel's repaint request.
    explicit TView3DOptions(std::function<void()> invalidate = {});
    TView3DOptions(const TView3DOptions&) = delete;
    TView3DOptions& operator=(const TView3DOptions&) = delete;

    int Elevation() const { return elevation_; }
    void SetElevation(int value);
    int HorizOffset() const { return horizOffset_; }
    void SetHorizOffset(int value);
    bool Orthogonal() const { return orthogonal_; }
    void SetOrthogonal(bool value);
    int Perspective() const { return perspective_; }
    void SetPerspective(int value);
    int Rotation() const { return rotation_; }
    void SetRotation(int value);
    int Tilt() const { return tilt_; }
    void SetTilt(int value);
    int VertOffset() const { return vertOffset_; }
    void SetVertOffset(int value);
    int Zoom() const { return zoom_; }
    void SetZoom(int value);
    bool ZoomText() const { return zoomText_; }
    void SetZoomText(bool value);

    // Copies all nine properties (and repaints once).
    void Assign(const TView3DOptions& source);
    // The owning panel's repaint.
    void Repaint() const;

    // After HorizOffset (true) or VertOffset (false) changed, following the repaint request.
    std::function<void(bool horizontal)> OnScrolled;
    // With the new zoom, before it is stored.
    std::function<void(int zoom)> OnZoomChanged;

private:
    friend TPublishedProperties<TView3DOptions>;
    void PropertyChanged() const { Repaint(); }

    std::function<void()> invalidate_;
    int elevation_ = 345;
    int horizOffset_ = 0;
    bool orthogonal_ = true;
    int perspective_ = 15;
    int rotation_ = 345;
    int tilt_ = 0;
    int vertOffset_ = 0;
    int zoom_ = 100;
    bool zoomText_ = true;
};

} // namespace kiv
