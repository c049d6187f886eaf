// The "S" save run and the news tags, through the window: folders, files and their order, the
// failure rule, readers of the files, concurrent runs, and closing while runs are in flight.
#include "AppTestEnv.h"

#include "FeedCounters.h"
#include "toolkit/Thread.h"
#include "workers/SaveRun.h"

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Run(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buf[256];
    while (size_t n = fread(buf, 1, sizeof buf, pipe)) out.append(buf, n);
    return pclose(pipe) == 0 ? out : "failed: " + out;
}

// Width and height as an independent decoder reads them.
std::string JpegSize(const fs::path& file) {
    const std::string ppm = file.string() + ".ppm";
    return Run("djpeg -pnm -outfile '" + ppm + "' '" + file.string() + "' && head -c 20 '" + ppm +
               "' | sed -n 2p");
}

// Rows, columns and one cell of a sheet as python3-xlrd reads it.
std::string SheetSummary(const fs::path& file, int row, int col) {
    return Run("/usr/bin/python3 -c \"import sys, xlrd; s = xlrd.open_workbook(sys.argv[1], "
               "encoding_override='cp1252').sheet_by_index(0); print(s.nrows, s.ncols, "
               "s.cell_value(" +
               std::to_string(row) + ", " + std::to_string(col) + "))\" '" + file.string() + "'");
}

class SaveTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        saveDir = fs::path(workDir) / "saves";
        workers::SetSaveFolder(saveDir.string());
    }
    void TearDown() override {
        workers::SetSaveFolder("");
        WindowTest::TearDown();
    }
    void Press(TForm1& form, char key) { form.FormKeyPress(key); }
    fs::path saveDir;
};

const char* const kFiles[8] = {"_1.xls",      "_2.xls",      "_3.xls",      "_4.xls",
                               "_tick1a.jpg", "_tick1b.jpg", "_tick2a.jpg", "_tick2b.jpg"};

} // namespace

TEST_F(SaveTest, AnSTypedIntoAnEditSavesTheChartsAndGridsThatReadersOpen) {
    auto form = CreatedForm();
    Quote q;
    for (int i = 0; i < 3; ++i) {
        q.r.UTCDateTime += 1 / 86400.0;
        form->OnQuoteData(&q.r);
    }
    form->show();
    QApplication::setActiveWindow(form.get());
    form->PageControl1->setCurrentIndex(0);
    form->Edit34->setFocus();
    QTest::keyClicks(form->Edit34, "as");
    EXPECT_EQ(form->Edit34->Text(), "as");
    form->Workers().WaitForWorkers();

    const std::string stamp = "2026_12_04_14_30_08_EURUSD_";
    EXPECT_EQ(form->StatusBar1->SimpleText(), stamp);
    std::vector<std::string> expected;
    for (const char* f : kFiles) expected.push_back(stamp + f);
    ASSERT_EQ(Names(saveDir / stamp), expected); // no bitmaps or partial files left
    const fs::path base = saveDir / stamp / stamp;
    kiv::TChart* charts[4] = {form->Chart1, form->Chart3, form->Chart2, form->Chart4};
    const char* names[4] = {"_tick1a.jpg", "_tick1b.jpg", "_tick2a.jpg", "_tick2b.jpg"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(JpegSize(base.string() + names[i]), std::to_string(charts[i]->Width()) + " " +
                                                          std::to_string(charts[i]->Height()) +
                                                          "\n");
    EXPECT_EQ(SheetSummary(base.string() + "_1.xls", 3, 1), "4 12 1.08345\n");
    EXPECT_EQ(SheetSummary(base.string() + "_4.xls", 3, 2), "4 7 Sentix Investor Confidence\n");
}

TEST_F(SaveTest, AFailingStepEndsTheRunAndSaysSoAndRunsWithOneStampTakeTurns) {
    auto form = CreatedForm();
    Quote q;
    form->OnQuoteData(&q.r);
    form->OnQuoteData(&q.r);
    const std::string stamp = "2026_12_04_14_30_05_EURUSD_";
    const fs::path folder = saveDir / stamp;
    // The third picture meets a full disk: the run ends there, says so after the stamp, and
    // leaves the pictures it finished but no bitmap and no partial file.
    fs::create_directories(folder);
    fs::create_symlink("/dev/full", folder / (stamp + "_tick2a.jpg.part"));
    Press(*form, 's');
    form->Workers().WaitForWorkers();
    EXPECT_EQ(Names(folder),
              (std::vector<std::string>{stamp + "_tick1a.jpg", stamp + "_tick1b.jpg"}));
    EXPECT_EQ(form->StatusBar1->SimpleText(), stamp + ": not saved, No space left on device");
    EXPECT_TRUE(messages.empty());

    // Two runs of the same stamp: the charts are drawn in save order, one whole run after the
    // other, so each file is written by one run at a time and the later run's stay.
    std::vector<int> drawn;
    kiv::TChart* charts[4] = {form->Chart1, form->Chart2, form->Chart3, form->Chart4};
    for (int i = 0; i < 4; ++i)
        charts[i]->OnAfterDraw = [&drawn, i](auto*) { drawn.push_back(i + 1); };
    Press(*form, 'S');
    Press(*form, 'S');
    form->Workers().WaitForWorkers();
    EXPECT_EQ(drawn, (std::vector<int>{1, 3, 2, 4, 1, 3, 2, 4}));
    std::vector<std::string> expected;
    for (const char* f : kFiles) expected.push_back(stamp + f);
    EXPECT_EQ(Names(folder), expected);
    for (kiv::TChart* chart : charts) chart->OnAfterDraw = nullptr;

    // A save folder whose parents are missing is made whole.
    workers::SetSaveFolder((fs::path(workDir) / "new" / "er" / "saves").string());
    Press(*form, 'S');
    form->Workers().WaitForWorkers();
    EXPECT_EQ(form->StatusBar1->SimpleText(), stamp);
    EXPECT_EQ(Names(fs::path(workDir) / "new" / "er" / "saves" / stamp), expected);

    // A save folder that cannot be made (a file in its place), or one that cannot be written
    // (a rule the superuser is above): the reason follows the stamp, and nothing is left.
    workers::SetSaveFolder((fs::path(workDir) / "file").string());
    std::ofstream(fs::path(workDir) / "file") << "x";
    Press(*form, 'S');
    form->Workers().WaitForWorkers();
    EXPECT_EQ(form->StatusBar1->SimpleText(), stamp + ": not saved, Not a directory");
    if (geteuid() != 0) {
        const fs::path locked = fs::path(workDir) / "locked";
        fs::create_directories(locked);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        workers::SetSaveFolder(locked.string());
        Press(*form, 'S');
        form->Workers().WaitForWorkers();
        EXPECT_EQ(form->StatusBar1->SimpleText(), stamp + ": not saved, Permission denied");
        EXPECT_TRUE(fs::is_empty(locked));
        fs::permissions(locked, fs::perms::owner_all);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(WindowTest, EachQuoteRowIsTaggedWithEveryEventOfItsOwnMinute) {
    auto form = CreatedForm();
    // An event a minute from 08:00 on rows 1 to 32, but rows 21 and 22 hold two more at 08:05.
    // Rows 24 to 32, the last nine of the grid, are never examined.
    tk::TStringGrid* news = form->StringGrid4;
    news->SetRowCount(33);
    for (int i = 1; i <= 32; ++i) {
        const int minute = i == 21 || i == 22 ? 5 : i - 1;
        news->SetCells(
            0, i, "2026.12.04 08:" + std::string(minute < 10 ? "0" : "") + std::to_string(minute));
        news->SetCells(1, i, i == 22 ? "USD" : "EUR");
        news->SetCells(2, i, "E" + std::to_string(i));
    }
    // A burst: every quote is sent before any tagging run gets the window thread.
    Quote q;
    for (int m = 0; m < 30; ++m) {
        q.r.UTCDateTime = rtl::EncodeDate(2026, 12, 4) + rtl::EncodeTime(8, m, 59, 0);
        form->OnQuoteData(&q.r);
    }
    form->Workers().WaitForWorkers();
    for (int m = 0; m < 30; ++m) {
        const std::string tags = m == 5                         ? ",EUR_E6,EUR_E21,USD_E22"
                                 : m == 20 || m == 21 || m > 22 ? ""
                                                                : ",EUR_E" + std::to_string(m + 1);
        EXPECT_EQ(form->StringGrid1->Cells(8, m + 1), tags) << "row " << m + 1;
    }

    // A calendar of eleven rows tags from its first row only; one of ten would tag nothing.
    news->SetRowCount(11);
    q.r.UTCDateTime = rtl::EncodeDate(2026, 12, 4) + rtl::EncodeTime(8, 0, 0, 0);
    form->OnQuoteData(&q.r);
    q.r.UTCDateTime = rtl::EncodeDate(2026, 12, 4) + rtl::EncodeTime(8, 1, 0, 0);
    form->OnQuoteData(&q.r);
    form->Workers().WaitForWorkers();
    EXPECT_EQ(form->StringGrid1->Cells(8, 31), ",EUR_E1");
    EXPECT_EQ(form->StringGrid1->Cells(8, 32), "");
}

// Before any quote a save makes its folders and shows its stamp only; closing while runs are
// in flight leaves no partial file and no bitmap.
TEST_F(SaveTest, AnEarlySaveIsEmptyAndClosingMidRunLeavesNoPartialFile) {
    auto form = CreatedForm();
    form->Edit4->SetText("$EUR/USD");
    Press(*form, 'S');
    form->Workers().WaitForWorkers();
    EXPECT_EQ(form->StatusBar1->SimpleText(), "UTCDateTime_EURUSD_");
    ASSERT_TRUE(fs::is_directory(saveDir / "UTCDateTime_EURUSD_"));
    EXPECT_TRUE(Names(saveDir / "UTCDateTime_EURUSD_").empty());
    // A quote of a year before 2000 (a replay) is saved under its own stamp.
    Quote old;
    old.r.UTCDateTime = rtl::EncodeDate(1994, 1, 3) + rtl::EncodeTime(8, 0, 1, 0);
    form->OnQuoteData(&old.r);
    Press(*form, 'S');
    form->Workers().WaitForWorkers();
    const std::string stamp = "1994_01_03_08_00_01_EURUSD_";
    std::vector<std::string> expected;
    for (const char* f : kFiles) expected.push_back(stamp + f);
    EXPECT_EQ(Names(saveDir / stamp), expected);
    Quote q;
    for (int i = 0; i < 20; ++i) {
        q.r.UTCDateTime += 1 / 86400.0;
        form->OnQuoteData(&q.r);
        if (i % 5 == 0) Press(*form, 'S');
    }
    form.reset(); // waits for the window's workers
    for (const auto& entry : fs::recursive_directory_iterator(saveDir)) {
        EXPECT_NE(entry.path().extension(), ".part") << entry.path();
        EXPECT_NE(entry.path().extension(), ".bmp") << entry.path();
    }
}
