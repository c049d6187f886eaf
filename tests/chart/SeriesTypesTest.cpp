#include "ChartTestSupport.h"

#include <gtest/gtest.h>

using namespace kiv;

namespace {

class TOneSeries : public TChartSeries {};
class TOtherSeries : public TChartSeries {};
class TNoFunction : public TKivFunction {
    void AddFunctionPoints(TChartSeries*) override {}
};

} // namespace

TEST(SeriesTypes, RegistersEachKindOnceAndCreatesClassesByName) {
    TKivSeriesTypes& types = TKivSeriesTypes::Instance();
    types.Clear();
    const auto one = SeriesClassOf<TOneSeries>("TOneSeries");
    RegisterSeriesType(one, "One", "Standard", 2);
    RegisterSeriesType(one, "One again", "Standard", 2);
    RegisterSeriesType(SeriesClassOf<TOtherSeries>("TOtherSeries"),
                       "A description far longer than twenty", "Standard", 1);
    RegisterFunctionType(FunctionClassOf<TNoFunction>("TNoFunction"), "Nothing", "Functions", 2,
                         one);
    ASSERT_EQ(types.Count(), 3);
    EXPECT_EQ(types[0].Description, "One");
    EXPECT_EQ(types[1].Description, "A description far lo");
    EXPECT_EQ(types[2].GalleryPage, "Functions");
    EXPECT_EQ(types.Find(one, FunctionClassOf<TNoFunction>("TNoFunction")), &types[2]);

    std::unique_ptr<TChartSeries> made(FindSeriesClass("TOtherSeries").Create());
    EXPECT_NE(dynamic_cast<TOtherSeries*>(made.get()), nullptr);
    EXPECT_FALSE(FindSeriesClass("TUnknown"));
    EXPECT_TRUE(FindFunctionClass("TNoFunction"));

    types.Clear();
    EXPECT_EQ(types.Count(), 0);
    EXPECT_FALSE(FindSeriesClass("TOtherSeries"));
}
