// Draws a bar chart and a pie chart without a display and saves each as PNG and JPEG:
//   headless_pictures OUTDIR
#include "chart/Chart.h"
#include "chart/Series.h"
#include "raster/QtRasterDevice.h"

#include <QGuiApplication>

#include <cstdio>
#include <string>

namespace {

constexpr int Width = 480, Height = 320;

// Draws chart off screen and writes OUTDIR/name.png and OUTDIR/name.jpg.
bool Save(kiv::TChart& chart, const std::string& folder, const std::string& name) {
    chart.SetWidth(Width);
    chart.SetHeight(Height);
    raster::QtRasterDevice device(Width, Height);
    chart.DrawToCanvas(device, {0, 0, Width, Height});
    const QString stem = QString::fromStdString(folder + "/" + name);
    return device.Image().save(stem + ".png") && device.Image().save(stem + ".jpg", nullptr, 90);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: headless_pictures OUTDIR\n");
        return 2;
    }
    // Fonts need a GUI application; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    kiv::TChart bars;
    bars.Title().SetText({"Quarterly volume"});
    bars.SetView3D(false);
    auto* volume = new kiv::TBarSeries;
    volume->SetParentChart(&bars); // the chart frees its series
    volume->SetTitle("Volume");
    volume->SetSeriesColor(kiv::clTeal);
    const double quarters[] = {120, 95, 140, 110};
    const char* labels[] = {"Q1", "Q2", "Q3", "Q4"};
    for (int i = 0; i < 4; ++i) volume->AppendValue(quarters[i], labels[i]);

    kiv::TChart pie;
    pie.Title().SetText({"Share of trades"});
    auto* share = new kiv::TPieSeries;
    share->SetParentChart(&pie);
    share->AppendValue(45, "EUR/USD", kiv::clRed);
    share->AppendValue(30, "USD/JPY", kiv::clGreen);
    share->AppendValue(25, "GBP/USD", kiv::clBlue);

    const std::string folder = argv[1];
    if (!Save(bars, folder, "bar") || !Save(pie, folder, "pie")) {
        std::fprintf(stderr, "cannot write the pictures into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
