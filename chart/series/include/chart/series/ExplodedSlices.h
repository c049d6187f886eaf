// How far each slice of a pie is pulled out of the circle.
#pragma once

#include <functional>
#include <vector>

namespace kiv {

// Percent of the radius per point index; indexes beyond the list read 0.
class TExplodedSlices {
public:
    explicit TExplodedSlices(std::function<void()> onChange) : onChange_(std::move(onChange)) {}

    int Count() const { return int(values_.size()); }
    int Value(int index) const {
        return index >= 0 && index < Count() ? values_[size_t(index)] : 0;
    }
    // Pads with zeros up to index; a different value asks for a repaint.
    void SetValue(int index, int value);
    void Clear() { values_.clear(); }
    // Pads to count entries, then exchanges a and b.
    void Swap(int a, int b, int count);

private:
    std::function<void()> onChange_;
    std::vector<int> values_;
};

} // namespace kiv
