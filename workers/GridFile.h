// Grids as plain text files: the column count, the row count, then one line per cell in
// column-major order (every row of column 0 from the title row down, then column 1, ...),
// every line ended by CR LF. Cell texts are stored as they stand, without quoting.
#pragma once

#include "toolkit/GridCells.h"

#include <string>
#include <string_view>
#include <vector>

namespace tk {
class TStringGrid;
}

namespace workers {

// A parsed grid file; the cells are views into the bytes it was parsed from, column-major.
struct TGridFileContent {
    int ColCount = 0;
    int RowCount = 0;
    std::vector<std::string_view> Cells;
};

// Reads the counts (leading blanks skipped, the rest of their line ignored) and every cell
// line; a line ends at LF, CR LF or CR. Raises rtl::EInOutError naming fileName for a missing
// or non-decimal count (a leading '+' is allowed), a negative or oversized one, counts that
// announce more cells than the bytes left can hold, or fewer cell lines than they announce.
TGridFileContent ParseGridFile(std::string_view bytes, const std::string& fileName);

// Create or truncate the file and write the grid. Raises rtl::EInOutError when the file cannot
// be created or written.
void StringGrid2File(const tk::TGridCells& cells, const std::string& fileName);
void StringGrid2File(const tk::TStringGrid& grid, const std::string& fileName);

// Give the grid the file's shape and cells. The whole file is checked first: on any error
// (rtl::EInOutError) the grid is left as it was.
void File2StringGrid(tk::TGridCells& cells, const std::string& fileName);
void File2StringGrid(tk::TStringGrid& grid, const std::string& fileName);

} // namespace workers
