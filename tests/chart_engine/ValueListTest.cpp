#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace kiv;

namespace {

std::vector<double> Values(const TChartValueList& list) {
    std::vector<double> v;
    for (int i = 0; i < list.ItemCount(); ++i) v.push_back(list.ValueAt(i));
    return v;
}

// The ordered-insertion rule written the plain way: scan back from the end; unordered lists
// append.
int ReferenceInsert(std::vector<double>& v, double value, TChartListOrder order) {
    int i = int(v.size()) - 1;
    if (order == loAscending)
        while (i >= 0 && v[size_t(i)] > value) --i;
    else if (order == loDescending)
        while (i >= 0 && v[size_t(i)] < value) --i;
    v.insert(v.begin() + (i + 1), value);
    return i + 1;
}

} // namespace

TEST(ValueListOrder, MatchesTheBackwardScanOnRandomAndBrokenLists) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> small(0, 20);
    for (TChartListOrder order : {loAscending, loDescending, loNone}) {
        TChartValueList list(nullptr, "X");
        list.SetOrder(order);
        std::vector<double> ref;
        for (int i = 0; i < 400; ++i) {
            const double v = small(rng);
            // now and then break the order behind the list's back, or add a NaN
            if (i % 97 == 50 && list.ItemCount() > 3) {
                list.SetValueAt(1, 100);
                ref[1] = 100;
            }
            if (i == 300) {
                const double nan = std::numeric_limits<double>::quiet_NaN();
                ASSERT_EQ(list.InsertOrdered(nan), ReferenceInsert(ref, nan, order));
                continue;
            }
            if (i % 53 == 0 && list.ItemCount() > 2) {
                list.RemoveAt(2);
                ref.erase(ref.begin() + 2);
            }
            ASSERT_EQ(list.InsertOrdered(v), ReferenceInsert(ref, v, order)) << "step " << i;
        }
        std::vector<double> got = Values(list);
        ASSERT_EQ(got.size(), ref.size());
        for (size_t i = 0; i < ref.size(); ++i)
            if (!(std::isnan(ref[i]) && std::isnan(got[i]))) {
                ASSERT_EQ(got[i], ref[i]);
            }
    }
}

TEST(ValueListOrder, NewestFirstRefillEndsInTimeOrder) {
    TChartSeries s;
    for (int i = 498; i >= 0; --i) ASSERT_EQ(s.AppendPoint(45000 + i / 86400.0, i), 0);
    ASSERT_EQ(s.PointCount(), 499);
    for (int i = 0; i < 499; ++i) {
        ASSERT_EQ(s.PointY(i), i);
        if (i) {
            ASSERT_LT(s.PointX(i - 1), s.PointX(i));
        }
    }
}

TEST(ValueListValues, MultiplierScalesReadsButNotInsertion) {
    TChartSeries s;
    TChartValueList& x = s.XValues();
    x.InsertOrdered(3);
    x.SetMultiplier(2);
    EXPECT_EQ(x.ValueAt(0), 6);
    // compared raw: 4 > 3 goes after, although 4 < 6
    EXPECT_EQ(x.InsertOrdered(4), 1);
    EXPECT_EQ(x.HighValue(), 8);
    EXPECT_EQ(x.IndexOfValue(8), 1);
    EXPECT_EQ(x.IndexOfValue(4), -1);
    EXPECT_EQ(x.LastValue(), 8);
}

TEST(ValueListValues, StatisticsAreLazyAndFollowChanges) {
    TChartValueList list(nullptr, "Y");
    EXPECT_EQ(list.HighValue(), 0);
    EXPECT_EQ(list.LowValue(), 0);
    EXPECT_EQ(list.Sum(), 0);
    EXPECT_EQ(list.AbsSum(), 0);
    list.InsertAt(0, -1);
    EXPECT_EQ(list.HighValue(), -1);
    EXPECT_EQ(list.LowValue(), -1);
    list.InsertAt(1, 1);
    EXPECT_EQ(list.Sum(), 0);
    EXPECT_EQ(list.AbsSum(), 2);
    EXPECT_EQ(list.HighValue(), 1);
    list.SetValueAt(0, -5);
    EXPECT_EQ(list.LowValue(), -5);
    list.RemoveAt(0);
    EXPECT_EQ(list.LowValue(), 1);
    list.RemoveAll();
    EXPECT_EQ(list.HighValue(), 0);
}

TEST(ValueListValues, RotateRenumberAndIndexErrors) {
    TChartValueList list(nullptr, "Y");
    for (double v : {1.0, 2.0, 3.0}) list.InsertAt(list.ItemCount(), v);
    EXPECT_EQ(list.Sum(), 6);
    list.RotateFirstToLast();
    EXPECT_EQ(Values(list), (std::vector<double>{2, 3, 1}));
    list.Renumber();
    EXPECT_EQ(Values(list), (std::vector<double>{0, 1, 2}));
    EXPECT_THROW(list.ValueAt(3), rtl::EListError);
    EXPECT_THROW(list.ValueAt(-1), rtl::EListError);
    EXPECT_THROW(list.SetValueAt(3, 0), rtl::EListError);
    EXPECT_THROW(list.RemoveAt(5), rtl::EListError);
    EXPECT_THROW(list.InsertAt(4, 0), rtl::EListError);
    EXPECT_EQ(list.ItemCount(), 3);
}

TEST(ValueListValues, AssignCopiesSettingsNotValuesOrName) {
    TChartValueList a(nullptr, "A"), b(nullptr, "B");
    a.SetOrder(loDescending);
    a.SetMultiplier(3);
    a.SetValueSource("Close");
    a.InsertAt(0, 1);
    b.Assign(a);
    EXPECT_EQ(b.Order(), loDescending);
    EXPECT_EQ(b.Multiplier(), 3);
    EXPECT_EQ(b.ValueSource(), "Close");
    EXPECT_EQ(b.Name(), "B");
    EXPECT_EQ(b.ItemCount(), 0);
}

TEST(ValueListSort, SortingMovesColoursAndLabelsWithTheirPoints) {
    TChartSeries s;
    s.XValues().SetOrder(loNone);
    const double xs[] = {5, 3, 9, 1, 3, 7};
    for (int i = 0; i < 6; ++i)
        s.AppendPoint(xs[i], xs[i] * 10, "p" + std::to_string(int(xs[i])), TColor(xs[i]));
    s.XValues().SetOrder(loAscending);
    s.XValues().SortByOrder();
    for (int i = 0; i < 6; ++i) {
        const double x = s.PointX(i);
        if (i) {
            EXPECT_LE(s.PointX(i - 1), x);
        }
        EXPECT_EQ(s.PointY(i), x * 10);
        EXPECT_EQ(s.PointLabel(i), "p" + std::to_string(int(x)));
        EXPECT_EQ(s.PointColor(i), TColor(x));
    }
    s.YValues().SetOrder(loDescending);
    s.YValues().SortByOrder();
    EXPECT_EQ(s.PointY(0), 90);
    EXPECT_EQ(s.PointLabel(0), "p9");
    EXPECT_EQ(s.PointY(5), 10);
    // an ordered insertion after the sort sees the list in order again
    s.XValues().SetOrder(loDescending);
    EXPECT_EQ(s.XValues().InsertOrdered(8), 1);
}
