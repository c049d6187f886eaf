// A copy of a grid's cells taken in one step, so that a worker can read them at leisure while
// the window thread goes on changing the grid.
#pragma once

#include "toolkit/GridCells.h"

#include <string_view>

namespace workers {

class TCellSnapshot {
public:
    TCellSnapshot() = default;
    // Shares the grid's packed texts: taking it costs 8 bytes a row, whatever the texts.
    explicit TCellSnapshot(const tk::TGridCells& cells) : cells_(cells.Snapshot()) {}

    int ColCount() const { return cells_.ColCount(); }
    int RowCount() const { return cells_.RowCount(); }
    std::string_view Cell(int col, int row) const { return cells_.CellView(col, row); }

private:
    tk::TGridCells cells_{0, 0};
};

} // namespace workers
