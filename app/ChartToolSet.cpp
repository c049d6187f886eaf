#include "app/ChartToolSet.h"

#include "app/Unit1.h"

#include "rtl/DateTime.h"
#include "rtl/Exceptions.h"

namespace {

kiv::TColor ImportanceColor(const std::string& importance) {
    if (importance == "High") return kiv::clRed;
    if (importance == "Medium") return gfx::RGB(255, 140, 0);
    if (importance == "Low") return gfx::RGB(200, 170, 0);
    return kiv::clGray;
}

} // namespace

TChartToolSet::TChartToolSet(TForm1& form) : form_(form) {
    kiv::TChart* charts[4] = {form.Chart1, form.Chart2, form.Chart3, form.Chart4};
    tk::TPanelWidget* views[4] = {form.ChartView1, form.ChartView2, form.ChartView3,
                                  form.ChartView4};
    for (int i = 0; i < 4; ++i) {
        tools_[i] = std::make_unique<kiv::TChartTools>(*charts[i]);
        views[i]->SetClient(tools_[i].get());
    }
    newsTimer_.setInterval(1000);
    QObject::connect(&newsTimer_, &QTimer::timeout, [this] {
        const std::vector<kiv::TChartEvent> events = NewsEvents(form_);
        for (auto& tools : tools_) tools->SetEventList(events);
    });
}

TChartToolSet::~TChartToolSet() {
    kiv::TChart* charts[4] = {form_.Chart1, form_.Chart2, form_.Chart3, form_.Chart4};
    tk::TPanelWidget* views[4] = {form_.ChartView1, form_.ChartView2, form_.ChartView3,
                                  form_.ChartView4};
    for (int i = 0; i < 4; ++i) views[i]->SetClient(charts[i]);
}

std::vector<std::string> TChartToolSet::ParseNames(const std::string& list) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = std::min(list.find(',', start), list.size());
        const std::string name = list.substr(start, end - start);
        if (name != "crosshair" && name != "lastprice" && name != "events")
            throw rtl::EConvertError("unknown chart tool '" + name +
                                     "' (crosshair, lastprice or events)");
        names.push_back(name);
        start = end + 1;
    }
    return names;
}

void TChartToolSet::TurnOn(const std::vector<std::string>& names) {
    for (const std::string& name : names)
        for (auto& tools : tools_) {
            if (name == "crosshair") tools->SetCrosshair(true);
            if (name == "lastprice") tools->SetLastPrice(true);
            if (name == "events") tools->SetEvents(true);
        }
    if (tools_[0]->Events()) {
        const std::vector<kiv::TChartEvent> events = NewsEvents(form_);
        for (auto& tools : tools_) tools->SetEventList(events);
        newsTimer_.start();
    }
}

std::vector<kiv::TChartEvent> TChartToolSet::NewsEvents(const TForm1& form) {
    std::vector<kiv::TChartEvent> events;
    const tk::TStringGrid& grid = *form.StringGrid4;
    rtl::TFormatSettings format = rtl::DefaultFormatSettings();
    format.DateSeparator = '.';
    format.ShortDateFormat = "yyyy.mm.dd";
    format.TimeSeparator = ':';
    for (int row = 1; row < grid.RowCount(); ++row) {
        rtl::TDateTime time = 0;
        if (!rtl::TryStrToDateTime(grid.Cells(0, row) + " " + grid.Cells(1, row), time, format))
            continue;
        events.push_back({time, grid.Cells(3, row), ImportanceColor(grid.Cells(4, row))});
    }
    return events;
}
