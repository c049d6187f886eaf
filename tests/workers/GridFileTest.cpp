#include "GridFile.h"

#include "Support.h"

#include "rtl/Exceptions.h"
#include "toolkit/StringGrid.h"

#include <gtest/gtest.h>

using testing_support::Grid;
using testing_support::ReadBytes;
using testing_support::ScratchDir;
using testing_support::WriteBytes;
using workers::File2StringGrid;
using workers::StringGrid2File;

namespace {

void ExpectSame(const tk::TGridCells& a, const tk::TGridCells& b) {
    ASSERT_EQ(a.ColCount(), b.ColCount());
    ASSERT_EQ(a.RowCount(), b.RowCount());
    for (int c = 0; c < a.ColCount(); ++c)
        for (int r = 0; r < a.RowCount(); ++r)
            EXPECT_EQ(a.Cell(c, r), b.Cell(c, r)) << c << "," << r;
}

} // namespace

TEST(GridFile, WritesCountsThenCellsColumnByColumnWithCrLf) {
    ScratchDir dir;
    StringGrid2File(Grid(2, 3, {"A", "a1", "a2", "B", "b1", "b2"}), dir.File("g.txt"));
    EXPECT_EQ(ReadBytes(dir.File("g.txt")), "2\r\n3\r\nA\r\na1\r\na2\r\nB\r\nb1\r\nb2\r\n");
    // Writing again truncates.
    StringGrid2File(Grid(1, 1, {""}), dir.File("g.txt"));
    EXPECT_EQ(ReadBytes(dir.File("g.txt")), "1\r\n1\r\n\r\n");
}

TEST(GridFile, ARoundTripGivesAGridOfAnotherShapeTheSameShapeAndCells) {
    ScratchDir dir;
    const tk::TGridCells source = Grid(
        3, 4, {"Time", "12:00", "", "12:02", "Bid", "1.1", "1.2", "", "Note", "a b", " ", "\t"});
    StringGrid2File(source, dir.File("g.txt"));
    tk::TGridCells target(7, 50);
    target.SetCell(6, 49, "old");
    File2StringGrid(target, dir.File("g.txt"));
    ExpectSame(target, source);
    // The widget grid round-trips too.
    testing_support::App();
    tk::TStringGrid grid;
    grid.SetColCount(2);
    grid.SetRowCount(2);
    grid.SetCells(0, 0, "DateTime");
    grid.SetCells(1, 1, "EUR");
    StringGrid2File(grid, dir.File("w.txt"));
    tk::TStringGrid back;
    File2StringGrid(back, dir.File("w.txt"));
    ExpectSame(back.Store(), grid.Store());
}

TEST(GridFile, CountsSkipBlanksAndASignIgnoreTheRestOfTheirLineAndAnyLineEndReads) {
    ScratchDir dir;
    tk::TGridCells g;
    WriteBytes(dir.File("loose.txt"), "  2 columns\n\t1\tignored\nleft\rright");
    File2StringGrid(g, dir.File("loose.txt"));
    ExpectSame(g, Grid(2, 1, {"left", "right"}));
    WriteBytes(dir.File("signed.txt"), " +1\r\n+2\r\nup\r\ndown\r\n");
    File2StringGrid(g, dir.File("signed.txt"));
    ExpectSame(g, Grid(1, 2, {"up", "down"}));
    WriteBytes(dir.File("zero.txt"), "0\r\n0\r\n");
    File2StringGrid(g, dir.File("zero.txt"));
    EXPECT_EQ(g.ColCount(), 0);
    EXPECT_EQ(g.RowCount(), 0);
    // A grid of rows without columns is two lines, whatever its row count.
    StringGrid2File(tk::TGridCells(0, 70000), dir.File("rows.txt"));
    EXPECT_EQ(ReadBytes(dir.File("rows.txt")), "0\r\n70000\r\n");
    File2StringGrid(g, dir.File("rows.txt"));
    EXPECT_EQ(g.ColCount(), 0);
    EXPECT_EQ(g.RowCount(), 70000);
    const workers::TGridFileContent most = workers::ParseGridFile("0\r\n2147483647\r\n", "most");
    EXPECT_EQ(most.RowCount, 2147483647);
    EXPECT_EQ(most.Cells.capacity(), 0u);
}

TEST(GridFile, ALineBreakInACellShiftsTheCellsAfterIt) {
    ScratchDir dir;
    StringGrid2File(Grid(1, 3, {"a\r\nb", "c", "d"}), dir.File("shift.txt"));
    tk::TGridCells g;
    File2StringGrid(g, dir.File("shift.txt"));
    ExpectSame(g, Grid(1, 3, {"a", "b", "c"}));
}

TEST(GridFile, BadOrUnwritableFilesRaiseAndLeaveTheGridAsItWas) {
    ScratchDir dir;
    const std::pair<const char*, const char*> bad[] = {
        {"empty", ""},
        {"no row count", "2\r\n"},
        {"words", "two\r\n3\r\n"},
        {"number then text", "2x\r\n3\r\n"},
        {"blank count", "   \r\n3\r\n"},
        {"negative columns", "-1\r\n3\r\n"},
        {"negative rows", "1\r\n-3\r\n"},
        {"beyond 32 bits", "99999999999\r\n1\r\nx\r\n"},
        {"absurd columns", "1000000000\r\n1\r\nx\r\n"},
        {"billions of cells", "60000\r\n2000000000\r\nx\r\n"},
        {"two signs", "++1\r\n1\r\nx\r\n"},
        {"a sign alone", "+\r\n1\r\nx\r\n"},
        {"short by one", "2\r\n2\r\na\r\nb\r\nc\r\n"},
        {"last cell without its line", "1\r\n2\r\na\r\n"},
    };
    for (const auto& [name, bytes] : bad) {
        WriteBytes(dir.File("bad.txt"), bytes);
        tk::TGridCells g = Grid(2, 2, {"keep", "these", "four", "cells"});
        try {
            File2StringGrid(g, dir.File("bad.txt"));
            ADD_FAILURE() << name << ": accepted";
        } catch (const rtl::EInOutError& e) {
            EXPECT_NE(e.Message.find("bad.txt"), std::string::npos) << name << ": " << e.Message;
        }
        ExpectSame(g, Grid(2, 2, {"keep", "these", "four", "cells"}));
    }
    tk::TGridCells g;
    EXPECT_THROW(File2StringGrid(g, dir.File("missing.txt")), rtl::EInOutError);
    EXPECT_THROW(File2StringGrid(g, dir.Path().string()), rtl::EInOutError);
    EXPECT_THROW(StringGrid2File(Grid(1, 1, {"x"}), dir.File("no/such/folder.txt")),
                 rtl::EInOutError);
    EXPECT_THROW(StringGrid2File(Grid(1, 1, {"x"}), "/dev/full"), rtl::EInOutError);
}
