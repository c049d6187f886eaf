#include "GridFile.h"

#include "workers/TextFile.h"

#include "rtl/Exceptions.h"
#include "rtl/NumberText.h"
#include "toolkit/StringGrid.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace workers {
namespace {

// Far beyond any window's grid; keeps a damaged count from allocating a column vector of
// billions of entries (rows are bounded by the file's size instead).
constexpr int MaxColCount = 65536;

[[noreturn]] void Bad(const std::string& fileName, const std::string& what) {
    throw rtl::EInOutError("Grid file \"" + fileName + "\": " + what);
}

int ReadCount(TLineReader& lines, const std::string& fileName, const char* name, int max) {
    std::string_view line;
    if (!lines.Next(line)) Bad(fileName, std::string("no ") + name);
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) start = line.size();
    const size_t end = std::min(line.find_first_of(" \t", start), line.size());
    const std::string_view item = line.substr(start, end - start);
    long long value = 0;
    const char* first = item.data();
    const char* last = item.data() + item.size();
    if (!item.empty() && item[0] == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (item.empty() || ec == std::errc::invalid_argument || ptr != last)
        Bad(fileName,
            std::string("the ") + name + " \"" + std::string(item) + "\" is not a decimal integer");
    if (ec == std::errc::result_out_of_range || value < 0 || value > max)
        Bad(fileName, std::string("the ") + name + " " + std::string(item) + " is out of range");
    return int(value);
}

template <class SetCount, class SetCell>
void Apply(const TGridFileContent& content, SetCount&& setCounts, SetCell&& setCell) {
    setCounts(content.ColCount, content.RowCount);
    if (content.ColCount == 0) return;
    // Row by row: the store packs a row at a time.
    const size_t rows = size_t(content.RowCount);
    for (int r = 0; r < content.RowCount; ++r)
        for (int c = 0; c < content.ColCount; ++c)
            setCell(c, r, content.Cells[size_t(c) * rows + size_t(r)]);
}

std::string FileBytes(const tk::TGridCells& cells) {
    std::string out;
    const int cols = cells.ColCount(), rows = cells.RowCount();
    out += rtl::IntToStr(cols) + "\r\n" + rtl::IntToStr(rows) + "\r\n";
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) {
            out += cells.CellView(c, r);
            out += "\r\n";
        }
    return out;
}

} // namespace

TGridFileContent ParseGridFile(std::string_view bytes, const std::string& fileName) {
    TLineReader lines(bytes);
    TGridFileContent content;
    content.ColCount = ReadCount(lines, fileName, "column count", MaxColCount);
    content.RowCount = ReadCount(lines, fileName, "row count", std::numeric_limits<int>::max());
    // Every cell line takes at least one byte, so a count beyond the bytes left is a short
    // file, found before anything is allocated. A grid of no columns has no cell lines: any
    // row count fits.
    const size_t cells = size_t(content.ColCount) * size_t(content.RowCount);
    if (cells > lines.Remaining())
        Bad(fileName,
            "the counts announce " + rtl::UIntToStr(cells) + " cells, more than the file can hold");
    content.Cells.resize(cells);
    for (size_t i = 0; i < cells; ++i)
        if (!lines.Next(content.Cells[i]))
            Bad(fileName, "the file ends after " + rtl::UIntToStr(i) + " of " +
                              rtl::UIntToStr(cells) + " cells");
    return content;
}

void StringGrid2File(const tk::TGridCells& cells, const std::string& fileName) {
    WriteWholeFile(fileName, FileBytes(cells));
}

void StringGrid2File(const tk::TStringGrid& grid, const std::string& fileName) {
    StringGrid2File(grid.Store(), fileName);
}

void File2StringGrid(tk::TGridCells& cells, const std::string& fileName) {
    const std::string bytes = ReadWholeFile(fileName);
    const TGridFileContent content = ParseGridFile(bytes, fileName);
    Apply(
        content,
        [&](int cols, int rows) {
            cells.SetColCount(cols);
            cells.SetRowCount(rows);
        },
        [&](int c, int r, std::string_view text) { cells.SetCell(c, r, text); });
}

void File2StringGrid(tk::TStringGrid& grid, const std::string& fileName) {
    const std::string bytes = ReadWholeFile(fileName);
    const TGridFileContent content = ParseGridFile(bytes, fileName);
    Apply(
        content,
        [&](int cols, int rows) {
            grid.SetColCount(cols);
            grid.SetRowCount(rows);
        },
        [&](int c, int r, std::string_view text) { grid.SetCells(c, r, text); });
}

} // namespace workers
