#include "workers/CellSnapshot.h"

#include "rtl/Exceptions.h"

namespace workers {

TCellSnapshot::TCellSnapshot(const tk::TGridCells& cells)
    : cols_(cells.ColCount()), rows_(cells.RowCount()) {
    starts_.reserve(size_t(cols_) * size_t(rows_) + 1);
    starts_.push_back(0);
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < cols_; ++c) {
            text_.append(cells.CellView(c, r));
            if (text_.size() > UINT32_MAX)
                throw rtl::EInOutError("The grid holds too much text to be exported");
            starts_.push_back(uint32_t(text_.size()));
        }
}

} // namespace workers
