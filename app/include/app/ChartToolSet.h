// The trader's tools on the window's four tick charts: each chart's widget shows its chart
// through a kiv::TChartTools, whose tools all start off. The calendar events come from the News
// grid, read again once a second while the event markers are on.
#pragma once

#include "chart/series/ChartTools.h"

#include <QTimer>

#include <memory>
#include <string>
#include <vector>

class TForm1;

class TChartToolSet {
public:
    explicit TChartToolSet(TForm1& form);
    // Gives each widget its chart back.
    ~TChartToolSet();

    // The names of a comma-separated list ("crosshair,lastprice,events"); raises
    // rtl::EConvertError for a name that is none of these.
    static std::vector<std::string> ParseNames(const std::string& list);
    // Turns the named tools on in every chart.
    void TurnOn(const std::vector<std::string>& names);
    kiv::TChartTools& Tools(int chart) { return *tools_[chart]; }
    // The events of the News grid: date and time in its first two columns, the name in the
    // fourth, the importance ("High", "Medium", "Low") in the fifth. Rows whose date or time
    // does not read are left out.
    static std::vector<kiv::TChartEvent> NewsEvents(const TForm1& form);

private:
    TForm1& form_;
    std::unique_ptr<kiv::TChartTools> tools_[4];
    QTimer newsTimer_;
};
