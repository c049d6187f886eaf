#include "ExcelExport.h"
#include "CellSnapshot.h"

#include "Support.h"

#include "rtl/Exceptions.h"
#include "toolkit/StringGrid.h"
#include "toolkit/Thread.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

using testing_support::ReadBytes;
using testing_support::ScratchDir;
using workers::SaveAsExcelFile;

namespace {

std::string Hex(const std::string& bytes) {
    std::string out;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02X ", c);
        out += b;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

// The bytes of the grid's file.
std::string XlsHex(const tk::TGridCells& cells) {
    ScratchDir dir;
    EXPECT_TRUE(SaveAsExcelFile(cells, dir.File("a.xls")));
    return Hex(ReadBytes(dir.File("a.xls")));
}

const std::string BeginRecord = "09 08 08 00 00 00 10 00 00 00 00 00";
const std::string EndRecord = "0A 00 00 00";

} // namespace

// Byte for byte: cells go column by column and empty cells are written too.
TEST(ExcelExport, CellsGoColumnByColumnByteForByte) {
    EXPECT_EQ(XlsHex(testing_support::Grid(1, 2, {"Bid", "1.2345"})),
              BeginRecord + " 04 02 0B 00 00 00 00 00 00 00 03 00 " + Hex("Bid") +
                  " 04 02 0E 00 01 00 00 00 00 00 06 00 " + Hex("1.2345") + " " + EndRecord);
    EXPECT_EQ(XlsHex(testing_support::Grid(2, 2, {"A", "", "B", "b"})),
              BeginRecord +
                  " 04 02 09 00 00 00 00 00 00 00 01 00 41"    // (0,0) A
                  " 04 02 08 00 01 00 00 00 00 00 00 00"       // (0,1) empty
                  " 04 02 09 00 00 00 01 00 00 00 01 00 42"    // (1,0) B
                  " 04 02 09 00 01 00 01 00 00 00 01 00 62 " + // (1,1) b
                  EndRecord);
}

TEST(ExcelExport, LongTextsAreWrittenWholeAndLengthsAndRowsWrap) {
    std::ostringstream out;
    workers::XlsWriteCellLabel(out, 2, 1, std::string(300, 'q'));
    const std::string record = out.str();
    ASSERT_EQ(record.size(), 312u);
    EXPECT_EQ(Hex(record.substr(0, 12)), "04 02 34 01 01 00 02 00 00 00 2C 01"); // 308, 300

    std::ostringstream wrap;
    workers::XlsWriteCellLabel(wrap, 0, 0, std::string(65530, 'w'));
    EXPECT_EQ(wrap.str().size(), 12u + 65530);
    // 8 + 65530 = 65538 wraps to 2; the text length stays 65530.
    EXPECT_EQ(Hex(wrap.str().substr(0, 12)), "04 02 02 00 00 00 00 00 00 00 FA FF");

    tk::TGridCells cells(1, 65537);
    cells.SetCell(0, 65536, "again");
    const std::string hex = XlsHex(cells);
    // The last cell record sits right before the end record; its row reads 0.
    EXPECT_EQ(hex.substr(hex.size() - 3 * (17 + 4) + 1),
              "04 02 0D 00 00 00 00 00 00 00 05 00 " + Hex("again") + " " + EndRecord);
}

TEST(ExcelExport, FilesThatCannotBeCreatedOrWrittenRaise) {
    ScratchDir dir;
    tk::TGridCells cells(2, 2);
    // A folder in the way of the file.
    std::filesystem::create_directory(dir.File("taken.xls"));
    EXPECT_THROW(SaveAsExcelFile(cells, dir.File("taken.xls")), rtl::EInOutError);
    // A device that is always full: created fine, every write fails.
    tk::TGridCells large(12, 20000);
    for (int r = 0; r < 20000; ++r) large.SetCell(0, r, "1.23456");
    try {
        SaveAsExcelFile(large, "/dev/full");
        FAIL() << "a full disk was reported as success";
    } catch (const rtl::EInOutError& e) {
        EXPECT_NE(e.Message.find("/dev/full"), std::string::npos) << e.Message;
    }
}

TEST(ExcelExport, AGridIsCopiedOnTheWindowThreadAndWrittenOnTheWorker) {
    testing_support::App();
    ScratchDir dir;
    tk::TStringGrid grid;
    grid.SetColCount(2);
    grid.SetRowCount(3);
    grid.SetCells(0, 0, "Bid");
    grid.SetCells(1, 2, "1.2345");
    SaveAsExcelFile(grid.Store(), dir.File("expected.xls"));

    std::atomic<bool> ok = false;
    struct Exporter final : tk::TThread {
        Exporter(tk::TWorkers& owner, tk::TStringGrid& g, std::string f, std::atomic<bool>& ok)
            : tk::TThread(owner), grid(g), file(std::move(f)), result(ok) {
            Start();
        }
        void Execute() override { result = SaveAsExcelFile(grid, file); }
        tk::TStringGrid& grid;
        std::string file;
        std::atomic<bool>& result;
    };
    tk::TWorkers workers;
    new Exporter(workers, grid, dir.File("worker.xls"), ok);
    ASSERT_TRUE(workers.WaitForWorkers(std::chrono::seconds(10)));
    EXPECT_TRUE(ok);
    EXPECT_EQ(ReadBytes(dir.File("worker.xls")), ReadBytes(dir.File("expected.xls")));
    EXPECT_NE(ReadBytes(dir.File("worker.xls")).find("1.2345"), std::string::npos);
}

TEST(ExcelExport, ASpreadsheetReaderReadsEveryCell) {
    // Debian's interpreter, where python3-xlrd installs, ahead of any other on the path.
    const std::string python =
        std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
    // make test installs it: a missing reader fails the test rather than skipping it.
    ASSERT_EQ(std::system((python + " -c 'import xlrd' >/dev/null 2>&1").c_str()), 0)
        << "python3-xlrd is not installed";
    ScratchDir dir;
    tk::TGridCells cells(3, 4);
    const char* texts[3][4] = {{"UTCDateTime", "2024.01.05 12:34:56", "", "x;y"},
                               {"Bid", "1.2345", "-0.5", "caf\xE9"},
                               {"Ask", "", "", "last"}};
    const std::string long300(300, 'L');
    texts[2][1] = long300.c_str();
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 4; ++r) cells.SetCell(c, r, texts[c][r]);
    const std::string file = dir.File("interop.xls");
    SaveAsExcelFile(cells, file);
    const std::string script = dir.File("read.py");
    testing_support::WriteBytes(
        script, "import sys, xlrd\n"
                "book = xlrd.open_workbook(sys.argv[1], encoding_override='cp1252')\n"
                "sheet = book.sheet_by_index(0)\n"
                "for c in range(sheet.ncols):\n"
                "    for r in range(sheet.nrows):\n"
                "        v = sheet.cell_value(r, c)\n"
                "        sys.stdout.buffer.write(('%d,%d=%s\\n' % (c, r, v)).encode('utf-8'))\n");
    const std::string out = dir.File("out.txt");
    ASSERT_EQ(std::system((python + " " + script + " " + file + " > " + out).c_str()), 0);
    std::string expected;
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 4; ++r) {
            std::string text = texts[c][r];
            if (text == "caf\xE9") text = "caf\xC3\xA9"; // Windows-1252 é read as Unicode
            expected += std::to_string(c) + "," + std::to_string(r) + "=" + text + "\n";
        }
    EXPECT_EQ(ReadBytes(out), expected);
}
