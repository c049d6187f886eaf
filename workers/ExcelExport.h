// Grids as minimal spreadsheet files: a beginning-of-file record, one text-cell (LABEL) record
// per cell in column-major order, an end-of-file record; little-endian throughout.
#pragma once

#include "toolkit/GridCells.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace tk {
class TStringGrid;
}

namespace workers {

class TCellSnapshot;

// Appends one LABEL record: id 0x0204, data length 8 + L, row, column, format 0, L, then the
// text's L bytes whole (lengths in the header wrap modulo 65536). Raises rtl::EInOutError when
// the stream fails.
void XlsWriteCellLabel(std::ostream& out, uint16_t col, uint16_t row, std::string_view text);

// Writes the file (truncating an existing one) and returns true; rows and columns beyond 65535
// wrap. A file that cannot be created or written raises rtl::EInOutError; what was written
// before the failure stays.
bool SaveAsExcelFile(const TCellSnapshot& cells, const std::string& fileName);
bool SaveAsExcelFile(const tk::TGridCells& cells, const std::string& fileName);
// From any thread: the grid's cells are copied on the window thread in one hop, the file is
// written on the calling thread.
bool SaveAsExcelFile(tk::TStringGrid& grid, const std::string& fileName);

} // namespace workers
