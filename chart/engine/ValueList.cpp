// TChartValueList and TChartValueLists: the columns of a series.

#include "chart/engine/ValueList.h"

#include "GapArray.h"
#include "chart/engine/AxisPanel.h"

#include "rtl/Format.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace kiv {

struct TChartValueList::TValues : GapArray<double> {};

TChartValueList::TChartValueList(TChartSeries* owner, const std::string& name)
    : owner_(owner), values_(std::make_unique<TValues>()), name_(name) {}

TChartValueList::~TChartValueList() = default;

int TChartValueList::ItemCount() const {
    return int(values_->size());
}

const double* TChartValueList::RawValues() const {
    return values_->data();
}

void TChartValueList::CheckIndex(int index) const {
    if (index < 0 || index >= ItemCount())
        throw rtl::EListError(rtl::Format("List index out of bounds (%d)", {int64_t(index)}));
}

double TChartValueList::ValueAt(int index) const {
    CheckIndex(index);
    return (*values_)[size_t(index)] * multiplier_;
}

void TChartValueList::SetValueAt(int index, double value) {
    CheckIndex(index);
    (*values_)[size_t(index)] = value;
    ++changes_;
    statsDirty_ = true;
    sorted_ = Sortedness::Unknown;
    if (owner_) owner_->NotifyLinked(LinkModified, index);
}

void TChartValueList::RemoveAll() {
    values_->clear();
    ++changes_;
    statsDirty_ = true;
    sorted_ = Sortedness::Yes;
}

bool TChartValueList::InOrder(double a, double b) const {
    return order_ == loAscending ? !(a > b) : !(a < b);
}

bool TChartValueList::CheckSorted() const {
    if (order_ == loNone) return false;
    if (sorted_ == Sortedness::Unknown) {
        sorted_ = Sortedness::Yes;
        const double* d = values_->data();
        const size_t n = values_->size();
        for (size_t i = 0; i < n && sorted_ == Sortedness::Yes; ++i)
            if (std::isnan(d[i]) || (i > 0 && !InOrder(d[i - 1], d[i]))) sorted_ = Sortedness::No;
    }
    return sorted_ == Sortedness::Yes;
}

int TChartValueList::InsertOrdered(double value) {
    const int count = int(values_->size());
    int index = count;
    if (order_ != loNone && count > 0) {
        const double* d = values_->data();
        const double last = d[count - 1];
        const bool append = order_ == loAscending ? last <= value : last >= value;
        if (!append) {
            if (KnownSorted() && !std::isnan(value)) {
                // Where the backward scan stops: the first place after every value that is
                // not beyond the new one. Newest-first refills land in front every time.
                const bool front = order_ == loAscending ? value < d[0] : value > d[0];
                if (front)
                    index = 0;
                else if (order_ == loAscending)
                    index = int(std::upper_bound(d, d + count, value) - d);
                else
                    index = int(std::upper_bound(d, d + count, value, std::greater<double>()) - d);
            } else {
                int i = count - 1;
                if (order_ == loAscending)
                    while (i >= 0 && d[i] > value) --i;
                else
                    while (i >= 0 && d[i] < value) --i;
                index = i + 1;
            }
        }
    }
    if (std::isnan(value) && order_ != loNone) sorted_ = Sortedness::No;
    values_->insert(size_t(index), value);
    ++changes_;
    statsDirty_ = true;
    return index;
}

void TChartValueList::InsertAt(int index, double value) {
    if (index < 0 || index > int(values_->size()))
        throw rtl::EListError(rtl::Format("List index out of bounds (%d)", {int64_t(index)}));
    values_->insert(size_t(index), value);
    ++changes_;
    statsDirty_ = true;
    if (sorted_ == Sortedness::Yes && order_ != loNone) {
        const size_t i = size_t(index);
        const bool fits = !std::isnan(value) && (i == 0 || InOrder((*values_)[i - 1], value)) &&
                          (i + 1 == values_->size() || InOrder(value, (*values_)[i + 1]));
        if (!fits) sorted_ = Sortedness::No;
    }
}

bool TChartValueList::InsertionOrder(const double* values, int count,
                                     std::vector<int>& order) const {
    order.resize(size_t(count));
    bool forward = true, backward = true;
    if (order_ != loNone) {
        for (int i = 0; i < count; ++i) {
            if (std::isnan(values[i])) return false;
            if (i > 0) {
                forward = forward && InOrder(values[i - 1], values[i]);
                backward = backward && InOrder(values[i], values[i - 1]);
            }
        }
    }
    if (forward) {
        // Each value goes after the last one.
        for (int i = 0; i < count; ++i) order[size_t(i)] = i;
        return true;
    }
    if (!backward) return false;
    // Each value goes in front, after the equal values already there: runs of equal values
    // keep their own order, and the runs come last one first.
    size_t at = 0;
    for (int end = count; end > 0;) {
        int start = end - 1;
        while (start > 0 && values[start - 1] == values[end - 1]) --start;
        for (int i = start; i < end; ++i) order[at++] = i;
        end = start;
    }
    return true;
}

void TChartValueList::AppendValues(const double* values, const int* order, int count) {
    if (count <= 0) return;
    const size_t first = values_->size();
    double* added = values_->extend(size_t(count));
    for (int i = 0; i < count; ++i) added[i] = values[order[i]];
    changes_ += unsigned(count);
    statsDirty_ = true;
    if (sorted_ == Sortedness::Yes && order_ != loNone) {
        const double* d = values_->data();
        for (size_t i = first; i < values_->size(); ++i)
            if (std::isnan(d[i]) || (i > 0 && !InOrder(d[i - 1], d[i]))) {
                sorted_ = Sortedness::No;
                break;
            }
    }
}

void TChartValueList::RemoveAt(int index) {
    CheckIndex(index);
    values_->erase(size_t(index));
    ++changes_;
    Touched();
}

void TChartValueList::RotateFirstToLast() {
    if (values_->size() < 2) return;
    double first = (*values_)[0];
    values_->erase(0);
    values_->push_back(first);
    ++changes_;
    sorted_ = Sortedness::Unknown;
}

void TChartValueList::SwapValues(int a, int b) {
    CheckIndex(a);
    CheckIndex(b);
    values_->swap_items(size_t(a), size_t(b));
    ++changes_;
    statsDirty_ = true;
    sorted_ = Sortedness::Unknown;
}

int TChartValueList::IndexOfValue(double value) const {
    for (int i = 0, n = ItemCount(); i < n; ++i)
        if ((*values_)[size_t(i)] * multiplier_ == value) return i;
    return -1;
}

void TChartValueList::Renumber() {
    for (int i = 0, n = ItemCount(); i < n; ++i) SetValueAt(i, i);
}

void TChartValueList::Recalculate() const {
    statsDirty_ = false;
    const int n = ItemCount();
    if (n == 0) {
        high_ = low_ = sum_ = absSum_ = 0;
        return;
    }
    const double* d = values_->data();
    double v = d[0] * multiplier_;
    high_ = low_ = sum_ = v;
    absSum_ = std::fabs(v);
    for (int i = 1; i < n; ++i) {
        v = d[i] * multiplier_;
        if (v < low_)
            low_ = v;
        else if (v > high_)
            high_ = v;
        sum_ += v;
        absSum_ += std::fabs(v);
    }
}

double TChartValueList::HighValue() const {
    if (statsDirty_) Recalculate();
    return high_;
}

double TChartValueList::LowValue() const {
    if (statsDirty_) Recalculate();
    return low_;
}

double TChartValueList::Sum() const {
    if (statsDirty_) Recalculate();
    return sum_;
}

double TChartValueList::AbsSum() const {
    if (statsDirty_) Recalculate();
    return absSum_;
}

void TChartValueList::SetAbsSum(double value) {
    if (statsDirty_) Recalculate();
    absSum_ = value;
}

void TChartValueList::SetDateTime(bool value) {
    if (dateTime_ == value) return;
    dateTime_ = value;
    if (owner_) owner_->RequestRepaint();
}

void TChartValueList::SetMultiplier(double value) {
    if (multiplier_ == value) return;
    multiplier_ = value;
    ++changes_;
    statsDirty_ = true;
    if (owner_) {
        owner_->NotifyLinked(LinkRefreshed);
        owner_->RequestRepaint();
    }
}

void TChartValueList::SetOrder(TChartListOrder value) {
    if (order_ == value) return;
    order_ = value;
    sorted_ = Sortedness::Unknown;
    if (owner_) owner_->RequestRepaint();
}

void TChartValueList::SetName(const std::string& value) {
    if (name_ == value) return;
    name_ = value;
    if (owner_) owner_->RequestRepaint();
}

void TChartValueList::SetValueSource(const std::string& value) {
    if (valueSource_ == value) return;
    valueSource_ = value;
    if (owner_ && owner_->ParentChart()) owner_->ParentChart()->RebuildSeries(owner_);
}

void TChartValueList::Assign(const TChartValueList& source) {
    SetOrder(source.order_);
    SetDateTime(source.dateTime_);
    SetMultiplier(source.multiplier_);
    SetValueSource(source.valueSource_);
}

// Quicksort over point indexes; every exchange goes through the series so that all its lists,
// colours and labels move together.
void TChartValueList::SortByOrder() {
    if (order_ == loNone || ItemCount() < 2) return;
    auto compare = [this](int a, int b) {
        const double va = ValueAt(a), vb = ValueAt(b);
        int c = va < vb ? -1 : (va > vb ? 1 : 0);
        return order_ == loDescending ? -c : c;
    };
    std::function<void(int, int)> sort = [&](int l, int r) {
        int i = l, j = r, p = (l + r) / 2;
        while (i < j) {
            while (compare(i, p) < 0) ++i;
            while (compare(p, j) < 0) --j;
            if (i < j) {
                owner_->SwapPoints(i, j);
                if (i == p)
                    p = j;
                else if (j == p)
                    p = i;
            }
            if (i <= j) {
                ++i;
                --j;
            }
        }
        if (l < j) sort(l, j);
        if (i < r) sort(i, r);
    };
    sort(0, ItemCount() - 1);
}

TChartValueList* TChartValueLists::Add(std::unique_ptr<TChartValueList> list) {
    lists_.push_back(std::move(list));
    return lists_.back().get();
}

} // namespace kiv
