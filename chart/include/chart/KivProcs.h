// The chart panel's base: the component base of the engine, the window host a panel draws into,
// and TCustomKivPanel / TCustomKivPanelExtended with their margins, 3D settings, repaint
// requests and zoom settings.
#pragma once

#include "chart/KivCanvas.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

// What the chart engine needs of the component model: a name, a tag, and whether the object is
// being read from a stream (checks and rebuilds wait until reading ends).
class TComponent {
public:
    TComponent() = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    virtual ~TComponent() = default;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& value) { name_ = value; }
    long Tag() const { return tag_; }
    void SetTag(long value) { tag_ = value; }
    bool Loading() const { return loading_; }
    void BeginLoading() { loading_ = true; }
    virtual void EndLoading() { loading_ = false; }

private:
    std::string name_;
    long tag_ = 0;
    bool loading_ = false;
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };
// Shift, Alt, Ctrl and the mouse buttons held, as bits.
using TShiftState = unsigned;
enum : TShiftState {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
using TCursor = int;
constexpr TCursor crDefault = 0;

// The window a panel lives in. The application implements it with a widget that forwards
// paint, resize, mouse and wheel events to the panel.
class IKivPanelHost {
public:
    virtual ~IKivPanelHost() = default;
    // Ask for a paint; the window coalesces requests until it paints.
    virtual void Invalidate() = 0;
    virtual TSize ClientSize() const = 0;
    virtual void SetCursor(TCursor cursor) = 0;
    // Show the panel's finished frame (the canvas buffer) in the given area of the window.
    virtual void PresentBuffer(const TRect& rect) = 0;
};

// The sixteen colours new series take in turn.
inline constexpr std::array<TColor, 16> ColorPalette = {
    clRed,  clGreen,  clYellow, clBlue,  clWhite,  clGray,   clFuchsia, clTeal,
    clNavy, clMaroon, clLime,   clOlive, clPurple, clSilver, clAqua,    clBlack};

inline TColor GetDefaultColor(int index) {
    return ColorPalette[size_t(index & 15)];
}

struct TZoomPanningRecord {
    int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    bool Active = false;
};

class TCustomKivPanel : public TComponent {
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

    bool ApplyZOrder() const { return applyZOrder_; }
    void SetApplyZOrder(bool value) { Store(applyZOrder_, value); }
    bool Destroying() const { return destroying_; }

    TZoomPanningRecord Zoom;
    TZoomPanningRecord Panning;

protected:
    template <class T> void Store(T& field, const T& value) {
        if (field != value) {
            field = value;
            Invalidate();
        }
    }
    // Set by the most derived destructor first, so that series being freed see it.
    void MarkDestroying() { destroying_ = true; }

private:
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
    bool applyZOrder_ = true;
    bool destroying_ = false;
    TRect chartRect_;
    TCursor cursor_ = crDefault;
    TCursor originalCursor_ = crDefault;
};

enum TPanningMode { pmNone, pmHorizontal, pmVertical, pmBoth };

class TCustomKivPanelExtended : public TCustomKivPanel {
public:
    bool AllowZoom() const { return allowZoom_; }
    void SetAllowZoom(bool value) { Store(allowZoom_, value); }
    TPanningMode AllowPanning() const { return allowPanning_; }
    void SetAllowPanning(TPanningMode value) { Store(allowPanning_, value); }
    bool AnimatedZoom() const { return animatedZoom_; }
    void SetAnimatedZoom(bool value) { Store(animatedZoom_, value); }
    int AnimatedZoomSteps() const { return animatedZoomSteps_; }
    void SetAnimatedZoomSteps(int value) { Store(animatedZoomSteps_, value); }
    bool Zoomed() const { return zoomed_; }
    void SetZoomed(bool value) { zoomed_ = value; }

    std::function<void(TComponent* sender)> OnZoom;
    std::function<void(TComponent* sender)> OnUndoZoom;
    std::function<void(TComponent* sender)> OnScroll;
    std::function<void(TComponent* sender)> OnAfterDraw;

private:
    bool allowZoom_ = true;
    TPanningMode allowPanning_ = pmBoth;
    bool animatedZoom_ = false;
    int animatedZoomSteps_ = 8;
    bool zoomed_ = false;
};
