// A window that shows a line chart fed a point every 100 ms by a timer. The widget is the
// chart's host: it gives the chart its size and a device to draw into, and repaints when the
// chart asks. `live_line N` quits after N points.
#include "chart/Chart.h"
#include "chart/Series.h"
#include "raster/QtRasterDevice.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

class ChartWidget : public QWidget, public raster::IPanelHost {
public:
    explicit ChartWidget(kiv::TChart& chart) : chart_(chart) { chart_.SetHost(this); }
    ~ChartWidget() override { chart_.SetHost(nullptr); }

    void Invalidate() override { update(); }
    gfx::TSize ClientSize() const override { return {width(), height()}; }
    void SetCursor(gfx::TCursor) override {}
    raster::RasterDevice* WindowDevice() override {
        if (!device_ || device_->Width() != width() || device_->Height() != height())
            device_ = std::make_unique<raster::QtRasterDevice>(width(), height());
        return device_.get();
    }
    void Present(const gfx::TRect&) override { update(); }
    void PaintNow() override { repaint(); }
    std::unique_ptr<raster::RasterDevice> CreateDevice(int w, int h) override {
        return std::make_unique<raster::QtRasterDevice>(w, h);
    }
    void ReleaseClient() override {}

protected:
    void paintEvent(QPaintEvent*) override {
        raster::RasterDevice& device = *WindowDevice();
        chart_.Paint(device, {0, 0, width(), height()});
        QPainter(this).drawImage(0, 0, device_->Image());
    }
    void resizeEvent(QResizeEvent*) override { chart_.Resized(); }

private:
    kiv::TChart& chart_;
    std::unique_ptr<raster::QtRasterDevice> device_;
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int stopAfter = argc > 1 ? std::atoi(argv[1]) : 0;

    kiv::TChart chart;
    chart.Title().SetText({"Live price"});
    chart.SetView3D(false);
    chart.Legend().SetVisible(false);
    auto* price = new kiv::TLineSeries;
    price->SetParentChart(&chart); // the chart frees its series

    ChartWidget widget(chart);
    widget.resize(640, 400);
    widget.show();

    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const int n = price->PointCount();
        price->AppendPoint(n, 100 + 5 * std::sin(n * 0.2));
        if (n + 1 == stopAfter) {
            widget.repaint();
            std::printf("%d points drawn\n", price->PointCount());
            app.quit();
        }
    });
    timer.start(100);
    return app.exec();
}
