#include "workers/ExcelExport.h"

#include "workers/CellSnapshot.h"

#include "rtl/Exceptions.h"
#include "toolkit/StringGrid.h"
#include "toolkit/Thread.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>

namespace workers {
namespace {

constexpr std::array<char, 12> BeginOfFile = {0x09, 0x08, 0x08, 0x00, 0x00, 0x00,
                                              0x10, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr std::array<char, 4> EndOfFile = {0x0A, 0x00, 0x00, 0x00};
constexpr size_t StreamBufferBytes = 1 << 16;

void Put16(char* at, uint16_t value) {
    at[0] = char(value & 0xFF);
    at[1] = char(value >> 8);
}

rtl::EInOutError WriteError(const std::string& fileName, int error) {
    return rtl::EInOutError("Cannot write file \"" + fileName + "\": " + std::strerror(error),
                            error);
}

} // namespace

bool SaveAsExcelFile(const TCellSnapshot& cells, const std::string& fileName) {
    // A large buffer: the records are small and there is one per cell.
    auto buffer = std::make_unique<char[]>(StreamBufferBytes);
    std::ofstream out;
    out.rdbuf()->pubsetbuf(buffer.get(), StreamBufferBytes);
    errno = 0;
    out.open(fileName, std::ios::binary | std::ios::trunc);
    if (!out) {
        const int error = errno ? errno : EIO;
        throw rtl::EInOutError("Cannot create file \"" + fileName + "\": " + std::strerror(error),
                               error);
    }
    try {
        out.write(BeginOfFile.data(), BeginOfFile.size());
        const int cols = cells.ColCount(), rows = cells.RowCount();
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r)
                XlsWriteCellLabel(out, uint16_t(c), uint16_t(r), cells.Cell(c, r));
        out.write(EndOfFile.data(), EndOfFile.size());
        errno = 0;
        out.close();
        if (out.fail()) throw WriteError(fileName, errno ? errno : EIO);
    } catch (const rtl::EInOutError& e) {
        // Close on the failing path too; the message names the file.
        const int error = e.ErrorCode ? e.ErrorCode : EIO;
        out.close();
        throw WriteError(fileName, error);
    }
    return true;
}

void XlsWriteCellLabel(std::ostream& out, uint16_t col, uint16_t row, std::string_view text) {
    const auto length = uint16_t(text.size());
    char header[12];
    Put16(header + 0, 0x0204);
    Put16(header + 2, uint16_t(8 + length));
    Put16(header + 4, row);
    Put16(header + 6, col);
    Put16(header + 8, 0);
    Put16(header + 10, length);
    errno = 0;
    out.write(header, sizeof header);
    out.write(text.data(), std::streamsize(text.size()));
    if (!out) throw rtl::EInOutError("Write error", errno ? errno : EIO);
}

bool SaveAsExcelFile(const tk::TGridCells& cells, const std::string& fileName) {
    // The store is read row by row far faster than column by column.
    return SaveAsExcelFile(TCellSnapshot(cells), fileName);
}

bool SaveAsExcelFile(tk::TStringGrid& grid, const std::string& fileName) {
    TCellSnapshot cells;
    tk::TThread::Synchronize([&] { cells = TCellSnapshot(grid.Store()); });
    return SaveAsExcelFile(cells, fileName);
}

} // namespace workers
