// The chart panel's base: the window host it draws into, its canvas and 3D options, margins,
// repaint requests and the plotting rectangle of the current frame.
#pragma once

#include "chart/canvas/Canvas3D.h"
#include "chart/canvas/PublishedProperties.h"
#include "chart/procs/Component.h"
#include "chart/procs/Input.h"
#include "chart/procs/PanelHost.h"

#include <memory>

namespace kiv {

struct TZoomPanningRecord {
    int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    bool Active = false;
};

class TCustomKivPanel : public TComponent, public TPublishedProperties<TCustomKivPanel> {
public:
    TCustomKivPanel();
    ~TCustomKivPanel() override;

    // The window shown into; nullptr for a panel that only renders off screen.
    IKivPanelHost* Host() const { return host_; }
    void SetHost(IKivPanelHost* host);

    TKivCanvas3D& Canvas() { return *canvas_; }
    const TKivCanvas3D& Canvas() const { return *canvas_; }

    // Client size: the host's, or 400 x 250 without one.
    int Width() const;
    int Height() const;

    int MarginLeft() const { return marginLeft_; }
    void SetMarginLeft(int value) { Store(marginLeft_, value); }
    int MarginTop() const { return marginTop_; }
    void SetMarginTop(int value) { Store(marginTop_, value); }
    int MarginRight() const { return marginRight_; }
    void SetMarginRight(int value) { Store(marginRight_, value); }
    int MarginBottom() const { return marginBottom_; }
    void SetMarginBottom(int value) { Store(marginBottom_, value); }
    int Chart3DPercent() const { return chart3DPercent_; }
    void SetChart3DPercent(int value);
    bool View3D() const { return view3D_; }
    void SetView3D(bool value) { Store(view3D_, value); }
    TView3DOptions& View3DOptions() { return *view3DOptions_; }
    TColor Color() const { return color_; }
    void SetColor(TColor value) { Store(color_, value); }
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value) { Store(borderWidth_, value); }

    // Marks the frame stale and asks the window once for a paint; further requests before that
    // paint are absorbed. Nothing happens while the repaint switch is off.
    virtual void Invalidate();
    bool RepaintPending() const { return repaintPending_; }
    bool AutoRepaint() const { return autoRepaint_; }
    void SetAutoRepaint(bool value) { autoRepaint_ = value; }
    // Called by the window's paint handler before it draws: changes from then on ask again.
    void PaintServed() { repaintPending_ = false; }

    // The plotting rectangle of the current frame.
    const TRect& ChartRect() const { return chartRect_; }
    void SetChartRect(const TRect& rect);
    int ChartWidth() const { return chartRect_.Width(); }
    int ChartHeight() const { return chartRect_.Height(); }
    int ChartXCenter() const { return (chartRect_.left + chartRect_.right) / 2; }
    int ChartYCenter() const { return (chartRect_.top + chartRect_.bottom) / 2; }

    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor value);
    // The cursor the panel had of its own before a series or the mouse changed it.
    TCursor OriginalCursor() const { return originalCursor_; }
    void SetOriginalCursor(TCursor value) { originalCursor_ = value; }

    // Set while the panel draws for a printer.
    bool Printing() const { return printing_; }
    void SetPrinting(bool value) { printing_ = value; }

    bool ApplyZOrder() const { return applyZOrder_; }
    void SetApplyZOrder(bool value) { Store(applyZOrder_, value); }
    bool Destroying() const { return destroying_; }

    TZoomPanningRecord Zoom;
    TZoomPanningRecord Panning;

protected:
    // Set by the most derived destructor first, so that series being freed see it.
    void MarkDestroying() { destroying_ = true; }

private:
    friend TPublishedProperties<TCustomKivPanel>;
    void PropertyChanged() { Invalidate(); }

    IKivPanelHost* host_ = nullptr;
    std::unique_ptr<TKivCanvas3D> canvas_;
    std::unique_ptr<TView3DOptions> view3DOptions_;
    int marginLeft_ = 3, marginTop_ = 4, marginRight_ = 3, marginBottom_ = 4;
    int chart3DPercent_ = 15;
    bool view3D_ = true;
    TColor color_ = clBtnFace;
    int borderWidth_ = 0;
    bool autoRepaint_ = false;
    bool repaintPending_ = false;
    bool printing_ = false;
    bool applyZOrder_ = true;
    bool destroying_ = false;
    TRect chartRect_;
    TCursor cursor_ = crDefault;
    TCursor originalCursor_ = crDefault;
};

} // namespace kiv
