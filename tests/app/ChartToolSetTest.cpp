#include "app/ChartToolSet.h"
#include "AppTestEnv.h"

#include "raster/QtRasterDevice.h"
#include "rtl/Exceptions.h"
#include "toolkit/PanelWidget.h"

#include <cmath>
#include <cstdio>

TEST_F(WindowTest, ChartToolsAttachToTheFourChartsAndReadTheNewsGrid) {
    EXPECT_EQ(TChartToolSet::ParseNames("crosshair,events"),
              (std::vector<std::string>{"crosshair", "events"}));
    for (const char* bad : {"crosshair,", "Crosshair", "", "lastprice,,events"})
        EXPECT_THROW(TChartToolSet::ParseNames(bad), rtl::EConvertError) << bad;

    auto form = CreatedForm(); // the news grid holds the service's two events
    const std::vector<kiv::TChartEvent> events = TChartToolSet::NewsEvents(*form);
    ASSERT_EQ(events.size(), 2u); // the "0" line reads as no date
    EXPECT_EQ(events[0].Time, rtl::EncodeDate(2026, 12, 7) + rtl::EncodeTime(8, 30, 0, 0));
    EXPECT_EQ(events[0].Name, "German Factory Orders m/m");
    EXPECT_EQ(events[0].Color, gfx::RGB(255, 140, 0)); // "Medium"
    EXPECT_EQ(events[1].Name, "Sentix Investor Confidence");
    {
        TChartToolSet tools(*form, "");
        EXPECT_EQ(form->ChartView1->Client(), &tools.Tools(0));
        tools.TurnOn({"lastprice", "events"});
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(tools.Tools(i).LastPrice());
            EXPECT_TRUE(tools.Tools(i).Events());
            EXPECT_FALSE(tools.Tools(i).Crosshair());
        }
    }
    // Candles of the bid in place of the tick lines, following the quotes.
    {
        TChartToolSet tools(*form, "");
        form->Series2->SetActive(false); // a line the trader had hidden stays hidden
        tools.SetCandles(0, 1);
        Quote q;
        for (int i = 0; i < 5; ++i) { // 14:30:05 to 14:32:05; the first row is not charted
            q.r.dBid = 1.0830 + i * 0.0001;
            form->OnQuoteData(&q.r);
            q.r.UTCDateTime += 30 / 86400.0;
        }
        ASSERT_EQ(form->Chart1->SeriesCount(), 4);
        auto* candles = dynamic_cast<kiv::TCandleSeries*>(form->Chart1->Series(3));
        ASSERT_TRUE(candles);
        EXPECT_EQ(candles->PointCount(), 3); // 14:30, 14:31 and 14:32
        EXPECT_EQ(candles->OpenValues()[1], 1.0832);
        EXPECT_EQ(candles->CloseValues()[1], 1.0833);
        // The lines step aside, so the candles' dates label the bottom axis.
        for (int i = 0; i < 3; ++i) EXPECT_FALSE(form->Chart1->Series(i)->Active()) << i;
        EXPECT_EQ(form->Chart1->FirstActiveSeriesOn(&form->Chart1->BottomAxis()), candles);
        tools.SetCandles(0, 5);
        EXPECT_EQ(tools.Candles(0), 5);
        EXPECT_EQ(candles->PointCount(), 1);
        EXPECT_THROW(tools.SetCandles(2, 5), rtl::EConvertError);
        EXPECT_THROW(tools.SetCandles(1, 7), rtl::EConvertError);
        tools.SetCandles(0, 0);
        EXPECT_EQ(form->Chart1->SeriesCount(), 3);
        EXPECT_TRUE(form->Series1->Active());
        EXPECT_FALSE(form->Series2->Active());
        EXPECT_TRUE(form->Series4->Active());
        form->Series2->SetActive(true);
        EXPECT_EQ(tools.Candles(0), 0);
    }
    // Gone, the tools give each widget its chart back.
    EXPECT_EQ(form->ChartView1->Client(), form->Chart1);
    EXPECT_EQ(form->ChartView4->Client(), form->Chart4);
}

// The choices of each chart survive a restart; a damaged file, or one of another version,
// turns nothing on and keeps what can be read apart from what cannot.
TEST_F(WindowTest, ChartToolChoicesAreKeptPerChartAndDamagedSettingsChangeNothing) {
    auto form = CreatedForm();
    const std::string file = workDir + "/chart-tools.ini";
    {
        TChartToolSet tools(*form, file);
        tools.Tools(1).SetCrosshair(true);
        tools.Tools(2).SetEvents(true);
        form->SetHeldView(form->Chart3, true);
        tools.SetSmooth(1, true);
        form->Chart4->Legend().SetVisible(true);
        tools.SetCandles(1, 15);
        tools.Save();
        tools.SetCandles(1, 0);
        tools.SetSmooth(1, false);
    }
    form->Chart4->Legend().SetVisible(false);
    form->SetHeldView(form->Chart3, false);
    {
        TChartToolSet tools(*form, file);
        EXPECT_FALSE(tools.Tools(0).Crosshair());
        EXPECT_TRUE(tools.Tools(1).Crosshair());
        EXPECT_FALSE(tools.Tools(1).Events());
        EXPECT_TRUE(tools.Tools(2).Events());
        EXPECT_TRUE(form->HeldView(form->Chart3));
        EXPECT_FALSE(form->HeldView(form->Chart2));
        EXPECT_TRUE(tools.Smooth(1));
        EXPECT_TRUE(form->ChartView2->Smooth());
        EXPECT_FALSE(tools.Smooth(2));
        tools.SetSmooth(1, false);
        EXPECT_TRUE(form->Chart4->Legend().Visible());
        EXPECT_EQ(tools.Candles(1), 15);
        EXPECT_EQ(tools.Candles(0), 0);
        tools.SetCandles(1, 0);
    }
    form->Chart4->Legend().SetVisible(false);
    auto write = [&](const std::string& text) {
        std::FILE* f = std::fopen(file.c_str(), "wb");
        ASSERT_TRUE(f);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    };
    const char binary[] = "\0\xff[Chart2\nCrosshair=true\n";
    const std::string damaged[] = {std::string(binary, sizeof binary - 1),
                                   "Version=2\n[Chart2]\nCrosshair=true\n",
                                   "[Chart2]\nCrosshair=true\n",
                                   "[General]\nVersion=1\n[Chart2]\nCrosshair=yes\nEvents=1\n"
                                   "Candles=3\nHoldView=on\nSmooth=1\n[Chart4]\nLegend=\n"};
    for (const std::string& text : damaged) {
        write(text);
        TChartToolSet tools(*form, file);
        for (int i = 0; i < 4; ++i) {
            EXPECT_FALSE(tools.Tools(i).Crosshair()) << i;
            EXPECT_FALSE(tools.Tools(i).Events()) << i;
        }
        EXPECT_FALSE(form->Chart4->Legend().Visible());
        EXPECT_EQ(tools.Candles(1), 0);
        EXPECT_FALSE(form->HeldView(form->Chart2));
        EXPECT_FALSE(tools.Smooth(1));
    }
}

// "Smooth drawing" renews the chart's buffered picture: the next paint after the switch is the
// chart drawn afresh on a smooth device, and off again it is the exact picture of before.
TEST_F(WindowTest, SmoothDrawingRenewsTheChartsBufferedPicture) {
    auto form = CreatedForm();
    Quote q;
    for (int i = 0; i < 40; ++i) {
        q.r.dBid = 1.0830 + 0.0004 * std::sin(i * 0.7);
        q.r.dAsk = q.r.dBid + 0.0002;
        form->OnQuoteData(&q.r);
        q.r.UTCDateTime += 2 / 86400.0;
    }
    TChartToolSet tools(*form, "");
    tk::TPanelWidget& view = *form->ChartView1;
    view.resize(500, 300);
    const auto shown = [&] {
        view.grab(); // paints what changed
        return static_cast<raster::QtRasterDevice*>(view.WindowDevice())->Image().copy();
    };
    const QImage exact = shown();
    tools.SetSmooth(0, true);
    const QImage smooth = shown();
    EXPECT_NE(smooth, exact);
    // The same chart drawn straight onto a new smooth device.
    raster::QtRasterDevice fresh(500, 300);
    fresh.SetSmooth(true);
    form->Chart1->SetBufferedDisplay(false);
    form->Chart1->DrawToCanvas(fresh, {0, 0, 500, 300});
    form->Chart1->SetBufferedDisplay(true);
    EXPECT_EQ(smooth, fresh.Image());
    tools.SetSmooth(0, false);
    EXPECT_EQ(shown(), exact);
}
