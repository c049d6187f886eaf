// Chart descriptions: every published property of the chart's parts and of every registered
// series kind survives a save and a load into a new chart; defaults stay out of the text; bad
// descriptions are refused with their line and leave the chart as it was; what a load must skip
// is reported with its line while the rest is loaded.
#include "chart/Description.h"
#include "Properties.h"
#include "chart/Chart.h"
#include "chart/KivFunci.h"
#include "chart/Series.h"
#include "rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace kiv;
using namespace kiv::description;

namespace {

void Register() {
    RegisterBuiltInSeries();
    RegisterBuiltInFunctions();
}

// Values to try in turn until the setter takes one that differs from the current value.
std::vector<TValue> Candidates(const TProperty& p, const TValue& current) {
    switch (p.Kind) {
    case TValueKind::Bool:
        return {!std::get<bool>(current)};
    case TValueKind::Int: {
        const std::int64_t v = std::get<std::int64_t>(current);
        if (!p.Names.empty()) {
            std::vector<TValue> all;
            for (std::int64_t k = 1; k < std::int64_t(p.Names.size()); ++k)
                all.push_back((v + k) % std::int64_t(p.Names.size()));
            return all;
        }
        return {v + 1, v + 90, std::int64_t(90), std::int64_t(2), v + 10, v - 1};
    }
    case TValueKind::Double: {
        const double v = std::get<double>(current);
        return {v + 1.5, v + 0.25, 2.0, v - 1.5};
    }
    case TValueKind::Text:
        return {std::get<std::string>(current) + "Z#: 'x'"};
    case TValueKind::Lines:
        return {std::vector<std::string>{"First line", "", "true"}};
    }
    return {};
}

// Changes every property under types as far as its setter allows; answers the paths of those
// it could not change.
std::vector<std::string> ChangeAll(const std::vector<const TObjectType*>& types, void* object,
                                   const std::string& path = "") {
    std::vector<std::string> unchanged;
    for (const TObjectType* type : types) {
        for (const TProperty& p : type->Properties) {
            const TValue before = p.Get(object);
            bool changed = false;
            for (const TValue& candidate : Candidates(p, before)) {
                try {
                    p.Set(object, candidate);
                } catch (const std::exception&) {
                    continue;
                }
                if ((changed = !(p.Get(object) == before))) break;
            }
            if (!changed) unchanged.push_back(path + std::string(p.Name));
        }
        for (const TChild& c : type->Children) {
            auto more = ChangeAll({c.Type}, c.Access(object), path + std::string(c.Name) + ".");
            unchanged.insert(unchanged.end(), more.begin(), more.end());
        }
    }
    return unchanged;
}

// Every property value under types, by path, for comparing two objects.
void Collect(const std::vector<const TObjectType*>& types, void* object, const std::string& path,
             std::map<std::string, TValue>& out) {
    for (const TObjectType* type : types) {
        for (const TProperty& p : type->Properties) out[path + std::string(p.Name)] = p.Get(object);
        for (const TChild& c : type->Children)
            Collect({c.Type}, c.Access(object), path + std::string(c.Name) + ".", out);
    }
}

std::map<std::string, TValue> ChartValues(TCustomChart& chart) {
    std::map<std::string, TValue> values;
    Collect({&ChartType()}, &chart, "", values);
    for (int i = 0; i < chart.SeriesCount(); ++i) {
        TChartSeries* s = chart.SeriesList()[i];
        const std::string at = "Series" + std::to_string(i) + ".";
        Collect(SeriesTypes(*s), s, at, values);
        values[at + "Kind"] = std::string(typeid(*s).name());
        for (int k = 0; k < s->PointCount(); ++k)
            values[at + "Point" + std::to_string(k)] =
                std::to_string(s->PointX(k)) + "," + std::to_string(s->PointY(k)) + "," +
                s->PointLabel(k) + "," + std::to_string(s->PointColor(k));
        if (TKivFunction* f = s->SeriesFunction()) {
            Collect({&FunctionType()}, f, at + "Function.", values);
            values[at + "Function"] = std::string(typeid(*f).name());
        }
        for (TComponent* source : s->DataSources())
            values[at + "Source" +
                   std::to_string(chart.SeriesList().IndexOf(static_cast<TChartSeries*>(source)))] =
                true;
    }
    return values;
}

std::string Text(const TValue& value) {
    return std::visit(
        [](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::string>)
                return v;
            else if constexpr (std::is_same_v<T, std::vector<std::string>>)
                return "[" + std::to_string(v.size()) + " lines]";
            else
                return std::to_string(v);
        },
        value);
}

void ExpectSameCharts(TCustomChart& a, TCustomChart& b) {
    const auto va = ChartValues(a), vb = ChartValues(b);
    ASSERT_EQ(va.size(), vb.size());
    for (const auto& [path, value] : va) {
        const auto it = vb.find(path);
        ASSERT_NE(it, vb.end()) << path;
        EXPECT_TRUE(value == it->second)
            << path << ": " << Text(value) << " / " << Text(it->second);
    }
}

std::string Numbers(int count) {
    std::string text = "0";
    for (int i = 1; i < count; ++i) text += "," + std::to_string(i);
    return text;
}

std::string Repeat(const std::string& text, int count) {
    std::string all;
    for (int i = 0; i < count; ++i) all += text;
    return all;
}

} // namespace

TEST(DescriptionTest, EveryPublishedPropertyOfTheChartAndOfEveryKindRoundTrips) {
    Register();
    TChart original;
    // The depth axis is never logarithmic.
    EXPECT_EQ(ChangeAll({&ChartType()}, &original),
              std::vector<std::string>{"DepthAxis.Logarithmic"});
    int kinds = 0;
    for (const TKivSeriesType& type : TKivSeriesTypes::Instance()) {
        if (type.FunctionClass) continue;
        TChartSeries* series = type.SeriesClass.Create();
        series->SetParentChart(&original);
        ++kinds;
        EXPECT_EQ(ChangeAll(SeriesTypes(*series), series), std::vector<std::string>{})
            << type.SeriesClass.Name;
        series->SetName("S" + std::to_string(kinds));
        series->AppendPoint(1, 2.5, "one");
        series->AppendPoint(3, -1e-300, "", clLime);
        series->AppendNullPoint(4, 7, "gap");
    }
    EXPECT_EQ(kinds, 8);
    // A candle's open, high and low travel with its points.
    auto* candles = new TCandleSeries;
    candles->SetParentChart(&original);
    candles->SetName("Candles");
    candles->AddCandle(10, 1.5, 2.25, 0.5, 1.75);
    candles->AddCandle(11, 1.75, 1.8, 1.0, 1.25);

    TChart loaded;
    const std::string text = SaveChartDescription(original);
    EXPECT_EQ(LoadChartDescription(loaded, text), std::vector<TDescriptionIssue>{}) << text;
    ExpectSameCharts(original, loaded);
    const auto* loadedCandles =
        dynamic_cast<TCandleSeries*>(loaded.SeriesList()[loaded.SeriesCount() - 1]);
    ASSERT_NE(loadedCandles, nullptr);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(loadedCandles->OpenValues().ValueAt(i), candles->OpenValues().ValueAt(i)) << i;
        EXPECT_EQ(loadedCandles->HighValues().ValueAt(i), candles->HighValues().ValueAt(i)) << i;
        EXPECT_EQ(loadedCandles->LowValues().ValueAt(i), candles->LowValues().ValueAt(i)) << i;
        EXPECT_EQ(loadedCandles->YValues().ValueAt(i), candles->YValues().ValueAt(i)) << i;
    }
    // Loading into a chart that was changed already gives the same chart.
    EXPECT_EQ(LoadChartDescription(loaded, text), std::vector<TDescriptionIssue>{});
    ExpectSameCharts(original, loaded);
    EXPECT_EQ(SaveChartDescription(loaded), text);
    // What a description leaves out returns to its default, and its series replace the chart's.
    TChart fresh;
    EXPECT_EQ(LoadChartDescription(loaded, SaveChartDescription(fresh)),
              std::vector<TDescriptionIssue>{});
    ExpectSameCharts(loaded, fresh);
}

TEST(DescriptionTest, FunctionsAndTheirSourcesRoundTripByNameOrPlace) {
    Register();
    TChart original;
    auto* a = new TLineSeries;
    a->SetParentChart(&original);
    a->SetName("Bid");
    auto* b = new TBarSeries;
    b->SetParentChart(&original); // no name: referred to by its place
    for (int i = 0; i < 6; ++i) {
        a->AppendPoint(i, i * 2);
        b->AppendPoint(i, 10 - i);
    }
    auto* average = new TLineSeries;
    average->SetParentChart(&original);
    average->AttachFunction(std::make_unique<TAverageKivFunction>());
    average->SeriesFunction()->SetPeriod(2);
    average->SetDataSources({a, b});

    const std::string text = SaveChartDescription(original);
    EXPECT_NE(text.find("DataSources: [\"Bid\", 1]"), std::string::npos) << text;
    TChart loaded;
    EXPECT_EQ(LoadChartDescription(loaded, text), std::vector<TDescriptionIssue>{});
    ExpectSameCharts(original, loaded);
    EXPECT_EQ(loaded.SeriesList()[2]->PointCount(), average->PointCount());
}

TEST(DescriptionTest, HoldsOnlyWhatDiffersFromTheDefaults) {
    Register();
    TChart chart;
    EXPECT_EQ(SaveChartDescription(chart), "{}\n...\n");
    chart.LeftAxis().SetLabelsAngle(90);
    chart.LeftAxis().Title().Font().SetSize(11);
    chart.Title().SetText({"EUR/USD"});
    auto* line = new TLineSeries;
    line->SetParentChart(&chart);
    line->SetSeriesColor(clRed);
    line->XValues().SetOrder(loNone);
    line->AppendPoint(2, 1.25);
    line->AppendPoint(1, 0.1);
    EXPECT_EQ(SaveChartDescription(chart),
              "Title:\n  Text: [\"EUR/USD\"]\n"
              "LeftAxis:\n  LabelsAngle: 90\n  Title:\n    Font:\n      Size: 11\n"
              "Series:\n  - Kind: TLineSeries\n    SeriesColor: 255\n"
              "    XValues:\n      Order: loNone\n"
              "    Points:\n      X: [2, 1]\n      Y: [1.25, 0.1]\n...\n");
    EXPECT_EQ(SaveChartDescription(chart, false).find("Points"), std::string::npos);
}

TEST(DescriptionTest, RefusesABadDescriptionWithItsLineAndLeavesTheChartAsItWas) {
    Register();
    TChart chart;
    chart.LeftAxis().SetLabelsAngle(90);
    auto* kept = new TBarSeries;
    kept->SetParentChart(&chart);
    kept->AppendPoint(1, 2);
    const std::string before = SaveChartDescription(chart);
    const std::string good = "View3D: false\nSeries:\n  - Kind: TLineSeries\n    Name: A\n"
                             "  - Kind: TLineSeries\n    Name: B\n";
    const struct {
        std::string text, message;
    } cases[] = {
        {good + "  - Kind: TNoSuchSeries\n...\n",
         "line 7: series kind 'TNoSuchSeries' is not registered"},
        {good + "  - Kind: TLineSeries\n    Function: {Kind: TMedian}\n...\n",
         "line 8: function 'TMedian' is not registered"},
        {good + "  - Kind: TLineSeries\n    DataSources: [A, Ask]\n...\n",
         "line 8: data source 'Ask' names no series"},
        {good + "  - Kind: TLineSeries\n    DataSources: [5]\n...\n",
         "line 8: data source '5' names no series"},
        {"Series:\n  - Kind: TLineSeries\n    Name: A\n    DataSources: [C]\n"
         "  - Kind: TLineSeries\n    Name: B\n    DataSources: [A]\n"
         "  - Kind: TLineSeries\n    Name: C\n    DataSources: [B]\n...\n",
         "line 7: data sources in a cycle: A -> C -> B -> A"},
        {good + "    Points: {X: [1, 2], Y: [3, x4]}\n...\n",
         "line 7: Points.Y: 'x4' is not a number"},
        {good + "    Points: {X: [1, 2], Y: [3]}\n...\n",
         "line 7: Points.Y has 1 values for 2 points"},
        {good + "  - Kind: TLineSeries\n    Points:\n      X: [1, 2",
         "line 9: the description ends "
         "before its end marker '...' (is it "
         "cut short?)"},
        {good.substr(0, 30), "line 3: the description ends before its end marker '...' (is it "
                             "cut short?)"},
        {"Title: {Text: [a, b}\n...\n", "line 1: illegal flow end"},
        {"- 1\n- 2\n...\n", "line 1: a description must be a map of the chart's properties"},
        {"Title: {Text: " + std::string(5000, '[') + "\n...\n",
         "line 3: the description nests too deeply"},
        {"Series:\n  - &s {Kind: TLineSeries, Points: {X: [" + Numbers(200) + "], Y: [" +
             Numbers(200) + "]}}\n" + Repeat("  - *s\n", 500) + "...\n",
         "line 2: the series repeat more than the description holds (aliases)"},
        {std::string(MaxDescriptionSize, '\n') + "x",
         "line 16777217: the description is longer than 16777216 bytes"},
    };
    for (const auto& c : cases) {
        try {
            LoadChartDescription(chart, c.text);
            ADD_FAILURE() << "loaded: " << c.text.substr(0, 200);
        } catch (const DescriptionException& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
        EXPECT_EQ(SaveChartDescription(chart), before);
        ASSERT_EQ(chart.SeriesCount(), 1);
        EXPECT_EQ(chart.SeriesList()[0], kept);
    }
}

TEST(DescriptionTest, SkipsWhatItCannotSetWithItsLineAndLoadsTheRest) {
    Register();
    TChart chart;
    chart.LeftAxis().SetLabelsAngle(180);
    chart.BottomAxis().SetIncrement(5);
    const auto issues =
        LoadChartDescription(chart, "Colour: 255\n"
                                    "View3D: no\n"
                                    "LeftAxis:\n"
                                    "  LabelsAngle: 400\n"
                                    "  Labelz: true\n"
                                    "  Title: {Caption: Price, Angle: [1]}\n"
                                    "BottomAxis:\n"
                                    "  Increment: -1\n"
                                    "  LabelStyle: talNothing\n"
                                    "  TickLength: 99999999999\n"
                                    "Legend: 3\n"
                                    "Series:\n"
                                    "  - Kind: TPieSeries\n"
                                    "    ExplodeBiggest: 30\n"
                                    "    OtherSlice: {Texts: x}\n"
                                    "    Function: {Kind: TAddKivFunction, Perod: 2}\n"
                                    "...\n");
    const std::vector<TDescriptionIssue> expected = {
        {1, "unknown key 'Colour'"},
        {2, "View3D: 'no' is not true or false"},
        {4, "LeftAxis.LabelsAngle: Axis Labels Angle must be between 0 and 359 degrees"},
        {5, "unknown key 'Labelz' in LeftAxis"},
        {6, "LeftAxis.Title.Angle: expected a single value"},
        {8, "BottomAxis.Increment: Axis increment must be >= 0"},
        {9, "BottomAxis.LabelStyle: 'talNothing' is not one of talAuto, talNone, talValue, "
            "talMark, talText"},
        {10, "BottomAxis.TickLength: '99999999999' is not an integer from -2147483648 to "
             "2147483647"},
        {11, "Legend must be a map of its properties"},
        {15, "unknown key 'Texts' in OtherSlice"},
        {16, "unknown key 'Perod' in Function"},
    };
    EXPECT_EQ(issues, expected);
    // The old values stay where a setter refused; the rest is loaded.
    EXPECT_EQ(chart.LeftAxis().LabelsAngle(), 180);
    EXPECT_EQ(chart.BottomAxis().Increment(), 5);
    EXPECT_EQ(chart.LeftAxis().Title().Caption(), "Price");
    ASSERT_EQ(chart.SeriesCount(), 1);
    auto* pie = dynamic_cast<TPieSeries*>(chart.SeriesList()[0]);
    ASSERT_NE(pie, nullptr);
    EXPECT_EQ(pie->ExplodeBiggest(), 30);
    EXPECT_NE(dynamic_cast<TAddKivFunction*>(pie->SeriesFunction()), nullptr);
}

TEST(DescriptionTest, FilesAreWrittenAndReadAndTooLongAFileIsNotRead) {
    Register();
    const auto folder =
        std::filesystem::temp_directory_path() / ("kiv_description_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "chart.yaml").string();
    TChart chart;
    chart.Legend().SetVisible(false);
    SaveChartDescriptionToFile(chart, file);
    TChart loaded;
    EXPECT_TRUE(LoadChartDescriptionFromFile(loaded, file).empty());
    EXPECT_FALSE(loaded.Legend().Visible());

    std::filesystem::resize_file(file, MaxDescriptionSize + 1);
    EXPECT_THROW(LoadChartDescriptionFromFile(loaded, file), DescriptionException);
    EXPECT_THROW(LoadChartDescriptionFromFile(loaded, (folder / "none.yaml").string()),
                 rtl::EInOutError);
    EXPECT_THROW(SaveChartDescriptionToFile(chart, (folder / "no" / "x.yaml").string()),
                 rtl::EInOutError);
    std::filesystem::remove_all(folder);
}

TEST(DescriptionTest, AValueThatDependsOnALaterOneIsSetOnceThatOneIs) {
    Register();
    TChart chart;
    chart.LeftAxis().SetAutomatic(false);
    chart.LeftAxis().SetMinimum(-5);
    // Logarithmic comes before Minimum and is refused while the axis reaches below zero.
    EXPECT_EQ(LoadChartDescription(chart, "LeftAxis:\n  Automatic: false\n  Minimum: 1\n"
                                          "  Maximum: 100\n  Logarithmic: true\n...\n"),
              std::vector<TDescriptionIssue>{});
    EXPECT_TRUE(chart.LeftAxis().Logarithmic());
    EXPECT_EQ(chart.LeftAxis().Minimum(), 1);
    // One that nothing else allows keeps its old value and is reported.
    TChart other;
    other.LeftAxis().SetAutomatic(false);
    other.LeftAxis().SetMinimum(-5);
    EXPECT_EQ(
        LoadChartDescription(
            other, "LeftAxis:\n  Automatic: false\n  AutomaticMinimum: false\n  Minimum: -1\n"
                   "  Logarithmic: true\n...\n"),
        (std::vector<TDescriptionIssue>{
            {5, "LeftAxis.Logarithmic: " + std::string(KivConst::KivMsg_AxisLogNotPositive)}}));
    EXPECT_FALSE(other.LeftAxis().Logarithmic());
}
