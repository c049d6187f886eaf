#include "app/ChartToolSet.h"

#include "app/Unit1.h"

#include "chart/series/CandleFunction.h"

#include "rtl/DateTime.h"
#include "rtl/Exceptions.h"

#include <QMenu>
#include <QSettings>
#include <QStandardPaths>

#include <cmath>

namespace {

// The layout of the settings file; a file of another layout is not read.
constexpr int SettingsVersion = 1;
const char* const Keys[6] = {"Crosshair", "LastPrice", "Events", "Legend", "HoldView", "Smooth"};

kiv::TColor ImportanceColor(const std::string& importance) {
    if (importance == "High") return kiv::clRed;
    if (importance == "Medium") return gfx::RGB(255, 140, 0);
    if (importance == "Low") return gfx::RGB(200, 170, 0);
    return kiv::clGray;
}

} // namespace

TChartToolSet::TChartToolSet(TForm1& form, std::string settingsFile)
    : form_(form), settingsFile_(std::move(settingsFile)) {
    kiv::TChart* charts[4] = {form.Chart1, form.Chart2, form.Chart3, form.Chart4};
    tk::TPanelWidget* views[4] = {form.ChartView1, form.ChartView2, form.ChartView3,
                                  form.ChartView4};
    for (int i = 0; i < 4; ++i) {
        tools_[i] = std::make_unique<kiv::TChartTools>(*charts[i]);
        tools_[i]->OnContextMenu = [this, i](int x, int y) { ShowMenu(i, x, y); };
        views[i]->SetClient(tools_[i].get());
    }
    newsTimer_.setInterval(1000);
    QObject::connect(&newsTimer_, &QTimer::timeout, [this] {
        const std::vector<kiv::TChartEvent> events = NewsEvents(form_);
        for (auto& tools : tools_) tools->SetEventList(events);
    });
    Load();
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
    EventsChanged();
}

void TChartToolSet::EventsChanged() {
    bool any = false;
    for (auto& tools : tools_) any = any || tools->Events();
    if (!any) return newsTimer_.stop();
    const std::vector<kiv::TChartEvent> events = NewsEvents(form_);
    for (auto& tools : tools_) tools->SetEventList(events);
    if (!newsTimer_.isActive()) newsTimer_.start();
}

std::string TChartToolSet::DefaultSettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
           "/hoxdesk/chart-tools.ini";
}

void TChartToolSet::Load() {
    if (settingsFile_.empty()) return;
    QSettings settings(QString::fromStdString(settingsFile_), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError ||
        settings.value("Version").toString() != QString::number(SettingsVersion))
        return;
    kiv::TChart* charts[4] = {form_.Chart1, form_.Chart2, form_.Chart3, form_.Chart4};
    for (int i = 0; i < 4; ++i) {
        settings.beginGroup(QString("Chart%1").arg(i + 1));
        for (int k = 0; k < 6; ++k) {
            const QString text = settings.value(Keys[k]).toString();
            if (text != "true" && text != "false") continue;
            const bool on = text == "true";
            switch (k) {
            case 0:
                tools_[i]->SetCrosshair(on);
                break;
            case 1:
                tools_[i]->SetLastPrice(on);
                break;
            case 2:
                tools_[i]->SetEvents(on);
                break;
            case 3:
                charts[i]->Legend().SetVisible(on);
                break;
            case 4:
                form_.SetHeldView(charts[i], on);
                break;
            default:
                SetSmooth(i, on);
            }
        }
        if (i < 2) {
            const QString minutes = settings.value("Candles").toString();
            if (minutes == "0" || minutes == "1" || minutes == "5" || minutes == "15")
                SetCandles(i, minutes.toInt());
        }
        settings.endGroup();
    }
    EventsChanged();
}

void TChartToolSet::Save() const {
    if (settingsFile_.empty()) return;
    QSettings settings(QString::fromStdString(settingsFile_), QSettings::IniFormat);
    settings.clear();
    settings.setValue("Version", SettingsVersion);
    const kiv::TChart* charts[4] = {form_.Chart1, form_.Chart2, form_.Chart3, form_.Chart4};
    for (int i = 0; i < 4; ++i) {
        settings.beginGroup(QString("Chart%1").arg(i + 1));
        const bool values[6] = {tools_[i]->Crosshair(),    tools_[i]->LastPrice(),
                                tools_[i]->Events(),       charts[i]->Legend().Visible(),
                                form_.HeldView(charts[i]), Smooth(i)};
        for (int k = 0; k < 6; ++k) settings.setValue(Keys[k], values[k] ? "true" : "false");
        if (i < 2) settings.setValue("Candles", Candles(i));
        settings.endGroup();
    }
}

void TChartToolSet::ShowMenu(int chart, int x, int y) {
    kiv::TChartTools& tools = *tools_[chart];
    kiv::TChart* charts[4] = {form_.Chart1, form_.Chart2, form_.Chart3, form_.Chart4};
    tk::TPanelWidget* views[4] = {form_.ChartView1, form_.ChartView2, form_.ChartView3,
                                  form_.ChartView4};
    kiv::TChartLegend& legend = charts[chart]->Legend();
    QMenu menu(views[chart]);
    auto item = [&](const char* text, bool on, std::function<void(bool)> set) {
        QAction* action = menu.addAction(text);
        action->setCheckable(true);
        action->setChecked(on);
        QObject::connect(action, &QAction::toggled, [set](bool value) { set(value); });
    };
    item("Crosshair", tools.Crosshair(), [&](bool on) { tools.SetCrosshair(on); });
    item("Last price", tools.LastPrice(), [&](bool on) { tools.SetLastPrice(on); });
    item("Calendar events", tools.Events(), [&](bool on) {
        tools.SetEvents(on);
        EventsChanged();
    });
    item("Legend", legend.Visible(), [&](bool on) { legend.SetVisible(on); });
    kiv::TChart* shown = charts[chart];
    item("Hold view", form_.HeldView(shown), [&](bool on) { form_.SetHeldView(shown, on); });
    QObject::connect(menu.addAction("Reset view"), &QAction::triggered,
                     [shown] { shown->ResetZoom(); });
    item("Smooth drawing", Smooth(chart), [&](bool on) { SetSmooth(chart, on); });
    if (chart < 2) {
        QMenu* candles = menu.addMenu("Candles");
        for (int minutes : {0, 1, 5, 15}) {
            QAction* action =
                candles->addAction(minutes == 0 ? QString("Off") : QString("%1 min").arg(minutes));
            action->setCheckable(true);
            action->setChecked(Candles(chart) == minutes);
            QObject::connect(action, &QAction::triggered,
                             [this, chart, minutes] { SetCandles(chart, minutes); });
        }
    }
    if (menu.exec(views[chart]->mapToGlobal(QPoint(x, y)))) Save();
}

std::vector<kiv::TChartEvent> TChartToolSet::NewsEvents(const TForm1& form) {
    std::vector<kiv::TChartEvent> events;
    const tk::TStringGrid& grid = *form.StringGrid4;
    rtl::TFormatSettings format = rtl::DefaultFormatSettings();
    format.DateSeparator = '.';
    format.ShortDateFormat = "yyyy.mm.dd";
    for (int row = 1; row < grid.RowCount(); ++row) {
        rtl::TDateTime time = 0;
        if (!rtl::TryStrToDateTime(grid.Cells(0, row), time, format)) continue;
        events.push_back({time, grid.Cells(2, row), ImportanceColor(grid.Cells(3, row))});
    }
    return events;
}

bool TChartToolSet::Smooth(int chart) const {
    const tk::TPanelWidget* views[4] = {form_.ChartView1, form_.ChartView2, form_.ChartView3,
                                        form_.ChartView4};
    return views[chart]->Smooth();
}

void TChartToolSet::SetSmooth(int chart, bool on) {
    kiv::TChart* charts[4] = {form_.Chart1, form_.Chart2, form_.Chart3, form_.Chart4};
    tk::TPanelWidget* views[4] = {form_.ChartView1, form_.ChartView2, form_.ChartView3,
                                  form_.ChartView4};
    views[chart]->SetSmooth(on);
    // The chart's frame buffer was made like the window's device: it follows it anew.
    charts[chart]->Canvas().RenewBuffer();
    charts[chart]->Invalidate();
}

int TChartToolSet::Candles(int chart) const {
    const kiv::TCandleSeries* candles = chart >= 0 && chart < 2 ? candles_[chart] : nullptr;
    return candles ? int(std::lround(candles->SeriesFunction()->Period() * 1440)) : 0;
}

void TChartToolSet::SetCandles(int chart, int minutes) {
    if (chart < 0 || chart > 1 || (minutes != 0 && minutes != 1 && minutes != 5 && minutes != 15))
        throw rtl::EConvertError("candles are of 1, 5 or 15 minutes on Chart1 or Chart2");
    kiv::TChart* owner = chart == 0 ? form_.Chart1 : form_.Chart2;
    kiv::TChartSeries* bid = owner->Series(0);
    kiv::TCandleSeries*& candles = candles_[chart];
    std::vector<bool>& shown = linesShown_[chart];
    if (minutes == 0) {
        if (!candles) return;
        delete candles;
        candles = nullptr;
        // The lines come back as they were.
        for (int i = 0; i < owner->SeriesCount() && i < int(shown.size()); ++i)
            owner->Series(i)->SetActive(shown[size_t(i)]);
    } else if (candles) {
        candles->SeriesFunction()->SetPeriod(minutes / 1440.0);
    } else {
        candles = new kiv::TCandleSeries;
        candles->SetTitle("Candles");
        candles->Marks().SetVisible(false);
        auto function = std::make_unique<kiv::TCandleKivFunction>();
        function->SetPeriod(minutes / 1440.0);
        candles->AttachFunction(std::move(function));
        // Every other series steps aside, so that the candles alone give the bottom axis its
        // dates.
        shown.clear();
        for (int i = 0; i < owner->SeriesCount(); ++i) {
            shown.push_back(owner->Series(i)->Active());
            owner->Series(i)->SetActive(false);
        }
        candles->SetParentChart(owner);
        candles->SetDataSource(bid);
    }
}
