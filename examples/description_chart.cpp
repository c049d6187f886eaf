// A chart whose settings and series come from a description file, drawn off screen to PNG:
//   description_chart DESCRIPTION.yaml OUT.png
// What the description holds that cannot be set is listed with its line; the rest is drawn.
#include "chart/Chart.h"
#include "chart/Description.h"
#include "chart/Series.h"
#include "raster/QtRasterDevice.h"

#include <QGuiApplication>

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: description_chart DESCRIPTION.yaml OUT.png\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // A description names its series by their kinds; the built-in kinds are registered here.
    kiv::RegisterBuiltInSeries();
    kiv::RegisterBuiltInFunctions();

    kiv::TChart chart;
    try {
        for (const kiv::TDescriptionIssue& issue :
             kiv::LoadChartDescriptionFromFile(chart, argv[1]))
            std::printf("line %d: %s (skipped)\n", issue.Line, issue.Message.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    raster::QtRasterDevice device(chart.Width(), chart.Height());
    chart.DrawToCanvas(device, {0, 0, chart.Width(), chart.Height()});
    return device.Image().save(argv[2]) ? 0 : 1;
}
