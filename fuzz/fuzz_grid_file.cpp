// Grid text files of any content: a clear error, or cells that lie inside the file, hold no
// line end, and write back to the very same grid.
#include "GridFile.h"

#include "rtl/Exceptions.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    workers::TGridFileContent grid;
    try {
        grid = workers::ParseGridFile(bytes, "fuzz");
    } catch (const rtl::EInOutError&) {
        return 0;
    }
    if (grid.ColCount < 0 || grid.RowCount < 0 ||
        grid.Cells.size() != size_t(grid.ColCount) * size_t(grid.RowCount))
        std::abort();
    std::string written =
        std::to_string(grid.ColCount) + "\r\n" + std::to_string(grid.RowCount) + "\r\n";
    for (std::string_view cell : grid.Cells) {
        if (cell.data() < bytes.data() || cell.data() + cell.size() > bytes.data() + size ||
            cell.find_first_of("\r\n") != std::string_view::npos)
            std::abort();
        written.append(cell).append("\r\n");
    }
    const workers::TGridFileContent back = workers::ParseGridFile(written, "fuzz copy");
    if (back.ColCount != grid.ColCount || back.RowCount != grid.RowCount ||
        back.Cells != grid.Cells)
        std::abort();
    return 0;
}
