#include "ExcelExport.h"

#include "CellSnapshot.h"
#include "workers/TextFile.h"

#include "rtl/Exceptions.h"
#include "toolkit/StringGrid.h"
#include "toolkit/Thread.h"

#include <array>
#include <cerrno>

namespace workers {
namespace {

constexpr std::array<char, 12> BeginOfFile = {0x09, 0x08, 0x08, 0x00, 0x00, 0x00,
                                              0x10, 0x00, 0x00, 0x00, 0x00, 0x00};
constexpr std::array<char, 4> EndOfFile = {0x0A, 0x00, 0x00, 0x00};
constexpr size_t FlushBytes = 1 << 18;

void Put16(char* at, uint16_t value) {
    at[0] = char(value & 0xFF);
    at[1] = char(value >> 8);
}

// Built anew for every record: concurrent exports share nothing.
std::array<char, 12> LabelHeader(uint16_t col, uint16_t row, size_t textBytes) {
    const auto length = uint16_t(textBytes); // modulo 65536
    std::array<char, 12> h;
    Put16(h.data() + 0, 0x0204);
    Put16(h.data() + 2, uint16_t(8 + length));
    Put16(h.data() + 4, row);
    Put16(h.data() + 6, col);
    Put16(h.data() + 8, 0);
    Put16(h.data() + 10, length);
    return h;
}

// The grid's store read in place, where a copy is not needed.
struct StoreCells {
    const tk::TGridCells& Store;
    int ColCount() const { return Store.ColCount(); }
    int RowCount() const { return Store.RowCount(); }
    std::string_view Cell(int c, int r) const { return Store.CellView(c, r); }
};

template <class Cells> bool WriteExcelFile(const Cells& cells, const std::string& fileName) {
    TFileWriter file(fileName);
    // The records go through a buffer of our own: one stream call per record costs more than
    // the record itself.
    std::string buffer;
    buffer.reserve(FlushBytes + 65536);
    buffer.append(BeginOfFile.data(), BeginOfFile.size());
    const int cols = cells.ColCount(), rows = cells.RowCount();
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) {
            const std::string_view text = cells.Cell(c, r);
            const auto header = LabelHeader(uint16_t(c), uint16_t(r), text.size());
            buffer.append(header.data(), header.size());
            buffer.append(text);
            if (buffer.size() >= FlushBytes) {
                file.Write(buffer);
                buffer.clear();
            }
        }
    buffer.append(EndOfFile.data(), EndOfFile.size());
    file.Write(buffer);
    file.Close();
    return true;
}

} // namespace

void XlsWriteCellLabel(std::ostream& out, uint16_t col, uint16_t row, std::string_view text) {
    const auto header = LabelHeader(col, row, text.size());
    errno = 0;
    out.write(header.data(), header.size());
    out.write(text.data(), std::streamsize(text.size()));
    if (!out) throw rtl::EInOutError("Write error", errno ? errno : EIO);
}

bool SaveAsExcelFile(const TCellSnapshot& cells, const std::string& fileName) {
    return WriteExcelFile(cells, fileName);
}

bool SaveAsExcelFile(const tk::TGridCells& cells, const std::string& fileName) {
    return WriteExcelFile(StoreCells{cells}, fileName);
}

bool SaveAsExcelFile(tk::TStringGrid& grid, const std::string& fileName) {
    TCellSnapshot cells;
    tk::TThread::Synchronize([&] { cells = TCellSnapshot(grid.Store()); });
    return SaveAsExcelFile(cells, fileName);
}

} // namespace workers
