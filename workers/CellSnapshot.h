// A copy of a grid's cells taken in one step, so that a worker can read them at leisure while
// the window thread goes on changing the grid.
#pragma once

#include "toolkit/GridCells.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace workers {

class TCellSnapshot {
public:
    TCellSnapshot() = default;
    // Raises rtl::EInOutError for a grid of 4 GiB of text or more.
    explicit TCellSnapshot(const tk::TGridCells& cells);

    int ColCount() const { return cols_; }
    int RowCount() const { return rows_; }
    // Inside the grid only.
    std::string_view Cell(int col, int row) const {
        const size_t i = size_t(row) * size_t(cols_) + size_t(col);
        return std::string_view(text_).substr(starts_[i], starts_[i + 1] - starts_[i]);
    }

private:
    int cols_ = 0;
    int rows_ = 0;
    // Row by row, the order of the grid's store.
    std::string text_;
    std::vector<uint32_t> starts_; // cols_ * rows_ + 1 offsets into text_
};

} // namespace workers
