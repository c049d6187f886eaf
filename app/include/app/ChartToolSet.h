// The trader's tools on the window's four tick charts: each chart's widget shows its chart
// through a kiv::TChartTools, whose tools all start off. A right click on a chart that did not
// drag opens a menu that turns the crosshair, the last-price line, the calendar events, the
// legend, the held view and smooth drawing on and off for that chart, gives it its automatic
// ranges back ("Reset view"), and on the two price charts shows the bid as candles; the choices
// are kept per chart in a settings file and read back at the next start. The calendar events
// come from the News grid, read again once a second while some chart shows them.
#pragma once

#include "chart/series/Candle.h"
#include "chart/series/ChartTools.h"

#include <QTimer>

#include <memory>
#include <string>
#include <vector>

class TForm1;

class TChartToolSet {
public:
    // settingsFile: where the choices are kept (empty: nowhere); those saved there are applied.
    TChartToolSet(TForm1& form, std::string settingsFile);
    // Gives each widget its chart back.
    ~TChartToolSet();

    // The names of a comma-separated list ("crosshair,lastprice,events"); raises
    // rtl::EConvertError for a name that is none of these.
    static std::vector<std::string> ParseNames(const std::string& list);
    // Turns the named tools on in every chart (not saved).
    void TurnOn(const std::vector<std::string>& names);
    // The user's configuration folder's "hoxdesk/chart-tools.ini".
    static std::string DefaultSettingsFile();
    // Reads the choices saved in the settings file. A file that is missing, damaged, or written
    // by another version of the format changes nothing; a value that is not "true" or "false"
    // leaves its tool as it is.
    void Load();
    void Save() const;
    // Candles of minutes (1, 5 or 15; 0: none) from the bid of chart 0 or 1 (Chart1, Chart2), in
    // place of the chart's lines, which keep their points and come back without candles.
    // Raises rtl::EConvertError for another chart or length.
    void SetCandles(int chart, int minutes);
    int Candles(int chart) const;
    // Antialiased lines, pies and text on chart (0 to 3).
    bool Smooth(int chart) const;
    void SetSmooth(int chart, bool on);
    // The menu of chart (0 to 3) at (x, y) of its widget; returns once it closed.
    void ShowMenu(int chart, int x, int y);
    kiv::TChartTools& Tools(int chart) { return *tools_[chart]; }
    // The events of the News grid: the date and time ("2026.12.07 08:30") in its first column,
    // the title in the third, the impact ("High", "Medium", "Low") in the fourth. Rows whose
    // date and time do not read are left out.
    static std::vector<kiv::TChartEvent> NewsEvents(const TForm1& form);

private:
    void EventsChanged();

    TForm1& form_;
    std::string settingsFile_;
    // The candle series of Chart1 and Chart2 while they show candles (each chart owns its own).
    kiv::TCandleSeries* candles_[2] = {};
    // Whether each of the chart's own series was active before the candles hid it.
    std::vector<bool> linesShown_[2];
    std::unique_ptr<kiv::TChartTools> tools_[4];
    QTimer newsTimer_;
};
