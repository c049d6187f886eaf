#include "app/ChartToolSet.h"
#include "AppTestEnv.h"

#include "rtl/Exceptions.h"

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
        form->Chart4->Legend().SetVisible(true);
        tools.Save();
    }
    form->Chart4->Legend().SetVisible(false);
    {
        TChartToolSet tools(*form, file);
        EXPECT_FALSE(tools.Tools(0).Crosshair());
        EXPECT_TRUE(tools.Tools(1).Crosshair());
        EXPECT_FALSE(tools.Tools(1).Events());
        EXPECT_TRUE(tools.Tools(2).Events());
        EXPECT_TRUE(form->Chart4->Legend().Visible());
    }
    form->Chart4->Legend().SetVisible(false);
    auto write = [&](const std::string& text) {
        std::FILE* f = std::fopen(file.c_str(), "wb");
        ASSERT_TRUE(f);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    };
    const char binary[] = "\0\xff[Chart2\nCrosshair=true\n";
    const std::string damaged[] = {
        std::string(binary, sizeof binary - 1), "Version=2\n[Chart2]\nCrosshair=true\n",
        "[Chart2]\nCrosshair=true\n",
        "[General]\nVersion=1\n[Chart2]\nCrosshair=yes\nEvents=1\n[Chart4]\nLegend=\n"};
    for (const std::string& text : damaged) {
        write(text);
        TChartToolSet tools(*form, file);
        for (int i = 0; i < 4; ++i) {
            EXPECT_FALSE(tools.Tools(i).Crosshair()) << i;
            EXPECT_FALSE(tools.Tools(i).Events()) << i;
        }
        EXPECT_FALSE(form->Chart4->Legend().Visible());
    }
}
