// A widget that shows one drawn client (a chart) through the platform's panel host interface:
// it keeps the client's picture in a device of its own size, paints from it, and forwards
// resizes, mouse buttons, moves, leaving and the wheel to the client.
#pragma once

#include "raster/PanelHost.h"
#include "raster/QtRasterDevice.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace tk {

enum TBorderStyle { bsNone, bsSingle };

class TPanelWidget : public QWidget, public raster::IPanelHost {
public:
    explicit TPanelWidget(QWidget* parent = nullptr);
    ~TPanelWidget() override;

    // Shows client (nullptr: nothing); the client learns its host.
    void SetClient(raster::IPanelClient* client);
    raster::IPanelClient* Client() const { return client_; }

    // A single border is a one-pixel black frame outside the client area.
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);

    // Arrow keys typed while the panel has the focus (Qt key codes); other keys go on to the
    // parent.
    std::function<void(int key, gfx::TShiftState shift)> OnKeyDown;

    // The client's lines, pies and text drawn antialiased (off: the devices' exact pixels). A
    // client that keeps devices of its own should renew them.
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool on);

    // How often the client was asked to paint.
    int ClientPaints() const { return clientPaints_; }

    // raster::IPanelHost
    void Invalidate() override;
    gfx::TSize ClientSize() const override;
    void SetCursor(gfx::TCursor cursor) override;
    raster::RasterDevice* WindowDevice() override;
    void Present(const gfx::TRect& rect) override;
    void PaintNow() override;
    std::unique_ptr<raster::RasterDevice> CreateDevice(int width, int height) override;
    void ReleaseClient() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The client area: the widget less its border.
    QRect ClientArea() const;
    // A device of the client area's size; a new one tells the client first.
    void EnsureDevice();
    // Milliseconds of one display frame.
    int FrameInterval() const;
    // Runs a client call; an error is shown to the user.
    void Forward(const std::function<void()>& call);

    raster::IPanelClient* client_ = nullptr;
    std::unique_ptr<raster::QtRasterDevice> device_;
    TBorderStyle borderStyle_ = bsNone;
    bool smooth_ = false;
    // The client's picture is stale: the next paint asks it to draw.
    bool needsPaint_ = true;
    // A paint has been asked of Qt and not yet served.
    bool scheduled_ = false;
    QElapsedTimer sinceLastPaint_;
    QTimer frameTimer_;
    // Wheel units not yet handed on (a notch is 120).
    int wheelRemainder_ = 0;
    int clientPaints_ = 0;
    bool paintFailed_ = false;
};

} // namespace tk
