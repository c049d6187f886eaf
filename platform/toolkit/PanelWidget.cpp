#include "toolkit/PanelWidget.h"

#include "toolkit/Cursors.h"
#include "toolkit/MessageBox.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>

#include <algorithm>
#include <cstdio>

namespace tk {

namespace {

constexpr int kWheelNotch = 120;

gfx::TShiftState ShiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    gfx::TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= gfx::ssShift;
    if (modifiers & Qt::AltModifier) shift |= gfx::ssAlt;
    if (modifiers & Qt::ControlModifier) shift |= gfx::ssCtrl;
    if (buttons & Qt::LeftButton) shift |= gfx::ssLeft;
    if (buttons & Qt::RightButton) shift |= gfx::ssRight;
    if (buttons & Qt::MiddleButton) shift |= gfx::ssMiddle;
    return shift;
}

bool ButtonOf(Qt::MouseButton qt, gfx::TMouseButton& button) {
    switch (qt) {
    case Qt::LeftButton:
        button = gfx::mbLeft;
        return true;
    case Qt::RightButton:
        button = gfx::mbRight;
        return true;
    case Qt::MiddleButton:
        button = gfx::mbMiddle;
        return true;
    default:
        return false;
    }
}

} // namespace

TPanelWidget::TPanelWidget(QWidget* parent) : QWidget(parent) {
    // The client paints every pixel: Qt need not clear the widget first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    frameTimer_.setSingleShot(true);
    connect(&frameTimer_, &QTimer::timeout, this, [this] { update(); });
}

TPanelWidget::~TPanelWidget() {
    if (client_) client_->SetHost(nullptr);
}

void TPanelWidget::SetClient(raster::IPanelClient* client) {
    if (client_ == client) return;
    if (client_) client_->SetHost(nullptr);
    client_ = client;
    needsPaint_ = true;
    if (client_) client_->SetHost(this);
    update();
}

void TPanelWidget::SetBorderStyle(TBorderStyle value) {
    if (borderStyle_ == value) return;
    borderStyle_ = value;
    if (client_) client_->Resized();
    device_.reset();
    update();
}

QRect TPanelWidget::ClientArea() const {
    const int b = borderStyle_ == bsSingle ? 1 : 0;
    return QRect(b, b, std::max(width() - 2 * b, 0), std::max(height() - 2 * b, 0));
}

void TPanelWidget::EnsureDevice() {
    const QRect area = ClientArea();
    if (device_ && device_->Width() == area.width() && device_->Height() == area.height()) return;
    // The client lets go of the old device before it goes.
    if (device_ && client_) client_->Resized();
    device_ = std::make_unique<raster::QtRasterDevice>(area.width(), area.height());
    device_->SetSmooth(smooth_);
    needsPaint_ = true;
}

int TPanelWidget::FrameInterval() const {
    const QScreen* s = screen();
    const double rate = s ? s->refreshRate() : 60.0;
    return rate > 1 ? std::max(1, int(1000.0 / rate)) : 16;
}

void TPanelWidget::Forward(const std::function<void()>& call) {
    if (!client_) return;
    try {
        call();
    } catch (const std::exception& e) {
        ShowException(e);
    }
}

// ---------------------------------------------------------------------------------------------
// raster::IPanelHost

void TPanelWidget::Invalidate() {
    needsPaint_ = true;
    if (scheduled_) return;
    scheduled_ = true;
    // At most one paint per display frame, however many changes arrive.
    const qint64 wait = sinceLastPaint_.isValid() ? FrameInterval() - sinceLastPaint_.elapsed() : 0;
    if (wait <= 0)
        update();
    else
        frameTimer_.start(int(wait));
}

gfx::TSize TPanelWidget::ClientSize() const {
    const QRect area = ClientArea();
    return {area.width(), area.height()};
}

void TPanelWidget::SetCursor(gfx::TCursor cursor) {
    setCursor(ScreenCursors().CursorFor(cursor));
}

raster::RasterDevice* TPanelWidget::WindowDevice() {
    EnsureDevice();
    return device_.get();
}

void TPanelWidget::Present(const gfx::TRect& rect) {
    const QPoint origin = ClientArea().topLeft();
    update(QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top)
               .translated(origin));
}

void TPanelWidget::PaintNow() {
    needsPaint_ = true;
    repaint();
}

std::unique_ptr<raster::RasterDevice> TPanelWidget::CreateDevice(int width, int height) {
    auto device = std::make_unique<raster::QtRasterDevice>(width, height);
    device->SetSmooth(smooth_);
    return device;
}

void TPanelWidget::SetSmooth(bool on) {
    if (on == smooth_) return;
    smooth_ = on;
    if (device_) device_->SetSmooth(on);
    Invalidate();
}

void TPanelWidget::ReleaseClient() {
    client_ = nullptr;
    update();
}

// ---------------------------------------------------------------------------------------------
// Qt events

void TPanelWidget::paintEvent(QPaintEvent* event) {
    scheduled_ = false;
    frameTimer_.stop();
    sinceLastPaint_.start();
    EnsureDevice();
    if (client_ && needsPaint_) {
        needsPaint_ = false;
        ++clientPaints_;
        try {
            client_->Paint(*device_, {0, 0, device_->Width(), device_->Height()});
            paintFailed_ = false;
        } catch (const std::exception& e) {
            // Shown once, after the paint: a message box would only ask for another paint.
            if (!paintFailed_) {
                paintFailed_ = true;
                const std::string text = e.what();
                QTimer::singleShot(0, this, [text] { ShowMessage(text); });
            }
        }
    }
    QPainter painter(this);
    const QRect area = ClientArea();
    const QRect dirty = event->rect().intersected(area);
    if (!dirty.isEmpty())
        painter.drawImage(dirty, device_->Image(), dirty.translated(-area.topLeft()));
    if (borderStyle_ == bsSingle) {
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(0, 0, width() - 1, height() - 1);
    }
}

void TPanelWidget::resizeEvent(QResizeEvent*) {
    if (device_ && client_) client_->Resized();
    device_.reset();
    needsPaint_ = true;
}

void TPanelWidget::mousePressEvent(QMouseEvent* event) {
    gfx::TMouseButton button;
    if (!ButtonOf(event->button(), button)) return;
    const QPoint p = event->position().toPoint() - ClientArea().topLeft();
    const gfx::TShiftState shift = ShiftOf(event->modifiers(), event->buttons());
    Forward([&] { client_->MouseDown(button, shift, p.x(), p.y()); });
}

void TPanelWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    gfx::TMouseButton button;
    if (!ButtonOf(event->button(), button)) return;
    const QPoint p = event->position().toPoint() - ClientArea().topLeft();
    const gfx::TShiftState shift = ShiftOf(event->modifiers(), event->buttons()) | gfx::ssDouble;
    Forward([&] { client_->MouseDown(button, shift, p.x(), p.y()); });
}

void TPanelWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint() - ClientArea().topLeft();
    const gfx::TShiftState shift = ShiftOf(event->modifiers(), event->buttons());
    Forward([&] { client_->MouseMove(shift, p.x(), p.y()); });
}

void TPanelWidget::mouseReleaseEvent(QMouseEvent* event) {
    gfx::TMouseButton button;
    if (!ButtonOf(event->button(), button)) return;
    const QPoint p = event->position().toPoint() - ClientArea().topLeft();
    const gfx::TShiftState shift = ShiftOf(event->modifiers(), event->buttons());
    Forward([&] { client_->MouseUp(button, shift, p.x(), p.y()); });
}

void TPanelWidget::leaveEvent(QEvent*) {
    Forward([&] { client_->MouseLeave(); });
}

void TPanelWidget::wheelEvent(QWheelEvent* event) {
    event->accept();
    // Fine-grained wheels and touch pads send parts of a notch: hand on whole notches.
    wheelRemainder_ += event->angleDelta().y();
    const QPoint p = event->position().toPoint() - ClientArea().topLeft();
    const gfx::TShiftState shift = ShiftOf(event->modifiers(), event->buttons());
    while (wheelRemainder_ >= kWheelNotch || wheelRemainder_ <= -kWheelNotch) {
        const int notch = wheelRemainder_ > 0 ? kWheelNotch : -kWheelNotch;
        wheelRemainder_ -= notch;
        Forward([&] { client_->MouseWheel(shift, notch, p.x(), p.y()); });
    }
}

void TPanelWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        event->accept();
        if (OnKeyDown) {
            const gfx::TShiftState shift = ShiftOf(event->modifiers(), Qt::NoButton);
            try {
                OnKeyDown(event->key(), shift);
            } catch (const std::exception& e) {
                ShowException(e);
            }
        }
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace tk
