// A contiguous array with spare room at both ends, so that inserting at the front costs as
// little as appending. Series refill their points newest first, which lands every point at
// index 0; a plain vector would move the whole list on each of those insertions.
#pragma once

#include <algorithm>
#include <cstddef>
#include <type_traits>
#include <utility>
#include <vector>

namespace kiv {

template <class T> class GapArray {
public:
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T* data() { return buf_.data() + head_; }
    const T* data() const { return buf_.data() + head_; }
    T& operator[](size_t i) { return buf_[head_ + i]; }
    const T& operator[](size_t i) const { return buf_[head_ + i]; }
    T* begin() { return data(); }
    T* end() { return data() + size_; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + size_; }

    void push_back(T value) { insert(size_, std::move(value)); }

    // Moves whichever side of index is shorter, making room first when that side has none.
    [[gnu::always_inline]] void insert(size_t index, T value) {
        if (index == 0 && head_ > 0) { // the common front insertion
            buf_[--head_] = std::move(value);
            ++size_;
        } else {
            InsertShifting(index, std::move(value));
        }
    }

    void erase(size_t index) {
        T* d = data();
        if (index * 2 < size_) {
            std::move_backward(d, d + index, d + index + 1);
            d[0] = T();
            ++head_;
        } else {
            std::move(d + index + 1, d + size_, d + index);
            d[size_ - 1] = T();
        }
        --size_;
        if (size_ == 0) head_ = buf_.size() / 2;
    }

    // Keeps the storage: a cleared list is usually refilled to about the same length.
    void clear() {
        if constexpr (!std::is_trivially_copyable_v<T>)
            for (T& item : *this) item = T();
        size_ = 0;
        head_ = buf_.size() / 2;
    }

    // Pads up to count (never shrinks).
    void grow_to(size_t count) {
        while (size_ < count) push_back(T());
    }
    void grow_to(size_t count, const T& filler) {
        while (size_ < count) push_back(filler);
    }

    void swap_items(size_t a, size_t b) { std::swap((*this)[a], (*this)[b]); }

    // Adds count items at the end at once and returns the first of them for the caller to
    // write: a refill makes room once instead of once per item.
    T* extend(size_t count) {
        static_assert(std::is_trivially_copyable_v<T>, "extend leaves moved-from items behind");
        if (buf_.size() - head_ - size_ < count) RoomAtBack(count);
        T* added = data() + size_;
        size_ += count;
        return added;
    }

private:
    // Moves the items towards the front when the storage holds them and count more, or into
    // storage twice that size; a quarter of what is spare goes in front of them.
    void RoomAtBack(size_t count) {
        const size_t needed = size_ + count;
        if (buf_.size() < needed) {
            std::vector<T> bigger(std::max<size_t>(16, needed * 2));
            const size_t newHead = (bigger.size() - needed) / 4;
            std::move(begin(), end(), bigger.begin() + ptrdiff_t(newHead));
            buf_.swap(bigger);
            head_ = newHead;
        } else {
            // The back is short, so the new head lies before the old one.
            const size_t newHead = (buf_.size() - needed) / 4;
            std::move(begin(), end(), buf_.data() + newHead);
            head_ = newHead;
        }
    }

    void InsertShifting(size_t index, T value) {
        if (index * 2 < size_) {
            if (head_ == 0) MakeRoom(true);
            T* d = buf_.data() + head_;
            if (index > 0) std::move(d, d + index, d - 1);
            --head_;
        } else {
            if (head_ + size_ == buf_.size()) MakeRoom(false);
            T* d = buf_.data() + head_;
            if (index < size_) std::move_backward(d + index, d + size_, d + size_ + 1);
        }
        ++size_;
        buf_[head_ + index] = std::move(value);
    }

    // Re-centres the items so the side that ran out has three quarters of the spare room, or
    // doubles the storage when less than half of it is spare. Either way the next insertions on
    // that side are cheap again, so a run of them costs amortised constant time each.
    void MakeRoom(bool atFront) {
        size_t capacity = buf_.size();
        if (capacity - size_ < std::max<size_t>(size_, 8))
            capacity = std::max<size_t>(16, capacity * 2);
        const size_t spare = capacity - size_;
        const size_t newHead = atFront ? spare - spare / 4 : spare / 4;
        if (capacity == buf_.size()) {
            T* d = data();
            T* target = buf_.data() + newHead;
            if (target < d)
                std::move(d, d + size_, target);
            else
                std::move_backward(d, d + size_, target + size_);
            // release what the move left behind (labels own their text)
            if constexpr (!std::is_trivially_copyable_v<T>)
                for (size_t i = 0; i < buf_.size(); ++i)
                    if (i < newHead || i >= newHead + size_) buf_[i] = T();
        } else {
            std::vector<T> bigger(capacity);
            std::move(begin(), end(), bigger.begin() + ptrdiff_t(newHead));
            buf_.swap(bigger);
        }
        head_ = newHead;
    }

    std::vector<T> buf_;
    size_t head_ = 0;
    size_t size_ = 0;
};

} // namespace kiv
