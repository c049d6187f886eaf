// Value lists: one column of a series' points, and the columns of a series.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kiv {

class TChartSeries;

enum TChartListOrder { loNone, loAscending, loDescending };

// One column of a series' points. Values are stored raw and read scaled by Multiplier.
class TChartValueList {
public:
    TChartValueList(TChartSeries* owner, const std::string& name);
    TChartValueList(const TChartValueList&) = delete;
    TChartValueList& operator=(const TChartValueList&) = delete;
    virtual ~TChartValueList();

    // Raw value times Multiplier; an index outside the list raises EListError.
    virtual double ValueAt(int index) const;
    // Stores the raw value and tells the dependent series; no repaint.
    virtual void SetValueAt(int index, double value);
    virtual void RemoveAll();
    // Inserts keeping Order: after every equal value, at 0 when below all (ascending).
    virtual int InsertOrdered(double value);
    virtual void InsertAt(int index, double value);
    virtual int ItemCount() const;
    virtual void RemoveAt(int index);
    // Moves the first value to the end; the statistics stay as they were.
    virtual void RotateFirstToLast();

    // Where InsertOrdered of values[0], values[1], ... in turn would leave them in this list
    // while it is empty: order[i] is the index in values of the list's i-th value. In an
    // ordered list that is known only for values in Order or in reverse Order (a refill reads
    // the newest rows first) with no NaN; otherwise false, with order undefined, and only
    // inserting one by one tells.
    bool InsertionOrder(const double* values, int count, std::vector<int>& order) const;
    // Adds values[order[0]], values[order[1]], ... at the end, as InsertAt(ItemCount(), ...)
    // of each in turn would.
    void AppendValues(const double* values, const int* order, int count);

    double operator[](int index) const { return ValueAt(index); }
    int IndexOfValue(double value) const;
    double LastValue() const { return ValueAt(ItemCount() - 1); }
    void Renumber();
    // Sorts the whole series (every list, colours and labels) by this list's Order.
    void SortByOrder();
    // Exchanges two raw values (the series swaps all its lists together).
    void SwapValues(int a, int b);

    double HighValue() const;
    double LowValue() const;
    double Sum() const;
    double AbsSum() const;
    // Replaces the absolute sum until the next change (a pie counts merged values once).
    void SetAbsSum(double value);

    bool DateTime() const { return dateTime_; }
    void SetDateTime(bool value);
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value);
    double Multiplier() const { return multiplier_; }
    void SetMultiplier(double value);
    TChartListOrder Order() const { return order_; }
    void SetOrder(TChartListOrder value);
    const std::string& ValueSource() const { return valueSource_; }
    void SetValueSource(const std::string& value);
    TChartSeries* OwnerSeries() const { return owner_; }

    // Copies Order, DateTime, Multiplier and ValueSource; never the values or the name.
    void Assign(const TChartValueList& source);

    // The raw values, contiguous, for drawing loops.
    const double* RawValues() const;
    // Grows with every change of the values or the multiplier, so that what is built from
    // them knows when to build again.
    unsigned long long Changes() const { return changes_; }

    // Staged by the series immediately before an insertion.
    double PendingValue = 0;

private:
    // The raw values, in a store that inserts at the front as cheaply as at the end.
    struct TValues;

    // Whether the raw values are known to follow Order (no NaN among them), so that an
    // ordered insertion may binary-search instead of scanning back from the end.
    enum class Sortedness { Yes, No, Unknown };

    void CheckIndex(int index) const;
    void Recalculate() const;
    void Touched() {
        statsDirty_ = true;
        if (sorted_ == Sortedness::No) sorted_ = Sortedness::Unknown;
    }
    bool KnownSorted() const {
        return sorted_ == Sortedness::Yes ? order_ != loNone : CheckSorted();
    }
    bool CheckSorted() const;
    bool InOrder(double a, double b) const;

    TChartSeries* owner_;
    std::unique_ptr<TValues> values_;
    std::string name_;
    bool dateTime_ = false;
    double multiplier_ = 1.0;
    TChartListOrder order_ = loNone;
    std::string valueSource_;
    mutable Sortedness sorted_ = Sortedness::Yes;
    unsigned long long changes_ = 0;
    mutable bool statsDirty_ = true;
    mutable double high_ = 0, low_ = 0, sum_ = 0, absSum_ = 0;
};

// The columns of a series: entry 0 is the X list, entry 1 the Y list, extra lists follow.
class TChartValueLists {
public:
    int Count() const { return int(lists_.size()); }
    TChartValueList* operator[](int index) const { return lists_[size_t(index)].get(); }
    TChartValueList* Add(std::unique_ptr<TChartValueList> list);
    auto begin() const { return lists_.begin(); }
    auto end() const { return lists_.end(); }

private:
    std::vector<std::unique_ptr<TChartValueList>> lists_;
};

} // namespace kiv
