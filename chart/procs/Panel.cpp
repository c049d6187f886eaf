
#include "chart/procs/Panel.h"

#include "chart/KivConst.h"
#include "rtl/Format.h"

namespace kiv {

TCustomKivPanel::TCustomKivPanel()
    : canvas_(std::make_unique<TKivCanvas3D>()),
      view3DOptions_(std::make_unique<TView3DOptions>([this] { Invalidate(); })) {}

TCustomKivPanel::~TCustomKivPanel() = default;

void TCustomKivPanel::SetHost(IKivPanelHost* host) {
    host_ = host;
    repaintPending_ = false;
    Invalidate();
}

int TCustomKivPanel::Width() const {
    return host_ ? host_->ClientSize().cx : 400;
}

int TCustomKivPanel::Height() const {
    return host_ ? host_->ClientSize().cy : 250;
}

void TCustomKivPanel::SetChart3DPercent(int value) {
    if (value < 1 || value > 100)
        throw ChartException(
            rtl::Format(KivConst::KivMsg_Chart3DPercent, {int64_t(1), int64_t(100)}));
    Store(chart3DPercent_, value);
}

void TCustomKivPanel::Invalidate() {
    // While a request is pending the canvas is already marked: nothing more to do.
    if (!autoRepaint_ || repaintPending_) return;
    canvas_->MarkDirty();
    repaintPending_ = true;
    if (host_) host_->Invalidate();
}

void TCustomKivPanel::SetChartRect(const TRect& rect) {
    chartRect_ = rect;
}

void TCustomKivPanel::SetCursor(TCursor value) {
    cursor_ = value;
    if (host_) host_->SetCursor(value);
}

} // namespace kiv
