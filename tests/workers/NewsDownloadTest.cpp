#include "NewsDownload.h"
#include "workers/CalendarService.h"
#include "workers/KeptFiles.h"
#include "workers/NewsTags.h"
#include "workers/Unit2.h"

#include "../fixtures/LocalHttpServer.h"
#include "Support.h"

#include "inet/WinInet.h"
#include "rtl/Exceptions.h"
#include "toolkit/MessageBox.h"
#include "toolkit/StringGrid.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>

using testing_support::LocalHttpServer;
using testing_support::ReadBytes;
using testing_support::ScratchDir;
using testing_support::WriteBytes;
using workers::ParseCalendar;
using workers::TNewsTable;

using Row = std::array<std::string, 7>;

namespace {

Row RowOf(const TNewsTable& t, int row) {
    Row cells;
    for (int c = 0; c < 7; ++c) cells[size_t(c)] = t.Rows.Cell(c, row);
    return cells;
}

const Row Empty{};

} // namespace

TEST(ParseCalendar, EventsLandOnTheRowOfTheirLineAndZeroLinesKeepTheirRows) {
    const TNewsTable t = ParseCalendar("2024.01.05;13:30;USD;Payrolls;High;216K;170K;199K\r\n"
                                       "0\r\n"
                                       "2024.01.05;15:00;USD;ISM Services;Medium;;52.6;52.7\r\n"
                                       "0\r\n");
    // A "0" as the last line adds no row.
    EXPECT_EQ(t.LastRow, 3);
    EXPECT_EQ(t.Rows.RowCount(), 4);
    EXPECT_EQ(RowOf(t, 0), Empty);
    EXPECT_EQ(RowOf(t, 1),
              (Row{"2024.01.05 13:30", "USD", "Payrolls", "High", "216K", "170K", "199K"}));
    EXPECT_EQ(RowOf(t, 2), Empty);
    EXPECT_EQ(RowOf(t, 3),
              (Row{"2024.01.05 15:00", "USD", "ISM Services", "Medium", "", "52.6", "52.7"}));
    EXPECT_EQ(ParseCalendar("0\n0\n").LastRow, 0);
    EXPECT_EQ(ParseCalendar("").Rows.RowCount(), 1);
    // Every kind of line end separates lines, and the last line needs none.
    for (const char* text : {"1;2;3\n0\n1;2;3", "1;2;3\r0\r1;2;3\r", "1;2;3\r\n0\r\n1;2;3"}) {
        const TNewsTable ends = ParseCalendar(text);
        EXPECT_EQ(ends.LastRow, 3) << text;
        EXPECT_EQ(RowOf(ends, 2), Empty) << text;
        EXPECT_EQ(RowOf(ends, 3), (Row{"1 2", "3", "", "", "", "", ""})) << text;
    }
}

TEST(ParseCalendar, FieldsAreTakenAsTheyStand) {
    // Fewer fields leave cells empty, more are dropped, a ";" in a title shifts the rest,
    // and "0 " or " 0" is an event, not an empty line.
    const TNewsTable t = ParseCalendar("d;t;EUR\n"
                                       "d;t;EUR;A;B;C;D;E;F;G\n"
                                       "d;t;GBP;Rate; decision;High;5%;5%\n"
                                       "0 \n"
                                       "\n");
    EXPECT_EQ(t.LastRow, 5);
    EXPECT_EQ(RowOf(t, 1), (Row{"d t", "EUR", "", "", "", "", ""}));
    EXPECT_EQ(RowOf(t, 2), (Row{"d t", "EUR", "A", "B", "C", "D", "E"}));
    EXPECT_EQ(RowOf(t, 3), (Row{"d t", "GBP", "Rate", " decision", "High", "5%", "5%"}));
    EXPECT_EQ(t.Rows.Cell(0, 4), "0  ");
    EXPECT_EQ(RowOf(t, 5), (Row{" ", "", "", "", "", "", ""}));
    // A long line loses the fields beyond the window, and NUL bytes stay.
    const std::string title(260, 'T');
    const TNewsTable u =
        ParseCalendar("d;t;USD;" + title + ";High;1;2;3\n" + std::string("d;t;J\0Y;x", 9) + "\n");
    EXPECT_EQ(u.LastRow, 2);
    EXPECT_EQ(RowOf(u, 1), (Row{"d t", "USD", "", "", "", "", ""}));
    EXPECT_EQ(u.Rows.Cell(1, 2), std::string("J\0Y", 3));
}

namespace {

// The news grid of the window: 7 columns, the titles in row 0, rows left by an earlier run.
class NewsDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        grid_.SetColCount(7);
        grid_.SetRowCount(20);
        const char* titles[] = {"DateTime", "Currency", "Title",   "Impact",
                                "Actual",   "Forecast", "Previous"};
        for (int c = 0; c < 7; ++c) grid_.SetCells(c, 0, titles[c]);
        for (int r = 1; r < 20; ++r) grid_.SetCells(2, r, "earlier " + std::to_string(r));
        previous_ = tk::SetMessagePresenter([this](const std::string& text) {
            std::lock_guard lock(messagesLock_);
            messages_.push_back(text);
        });
    }
    void TearDown() override {
        tk::SetMessagePresenter(previous_);
        inet::SetDefaultInternetLimits(inet::TInternetLimits{});
    }

    workers::TCalendarRequest Request(const std::string& path) {
        workers::TCalendarRequest r = workers::MakeCalendarRequest(
            rtl::EncodeDate(2024, 1, 5), "http://127.0.0.1:" + std::to_string(http_.Port()));
        r.Url = http_.Url(path);
        r.FileName = dir_.File(r.FileName);
        return r;
    }

    std::vector<std::string> Messages() {
        std::lock_guard lock(messagesLock_);
        return messages_;
    }

    void ExpectGridUntouched() {
        EXPECT_EQ(grid_.RowCount(), 20);
        EXPECT_EQ(grid_.Cells(0, 0), "DateTime");
        for (int r = 1; r < 20; ++r) EXPECT_EQ(grid_.Cells(2, r), "earlier " + std::to_string(r));
    }

    QApplication& app_ = testing_support::App(); // before any widget
    tk::TStringGrid grid_;
    ScratchDir dir_;
    LocalHttpServer http_;
    tk::MessagePresenter previous_;
    std::mutex messagesLock_;
    std::vector<std::string> messages_;
};

// A calendar of exactly the given size: an event, a "0" line, then a last event padded out
// with text that holds NUL bytes, which must not cut the rest of a read short.
std::string CalendarOfSize(size_t size) {
    std::string body = "2024.01.05;13:30;USD;Payrolls;High;216K;170K;199K\r\n0\r\n";
    body += "2024.01.05;15:00;EUR;";
    for (size_t i = body.size(); i < size; ++i) body += i % 100 == 0 ? '\0' : 'p';
    return body;
}

} // namespace

TEST_F(NewsDownloadTest, BodiesOfAnySizeAreStoredByteForByteAndShown) {
    const size_t sizes[] = {1025, 2050, 2051};
    for (size_t size : sizes) http_.Serve("/c" + std::to_string(size), CalendarOfSize(size));
    http_.Start();
    for (size_t size : sizes) {
        SCOPED_TRACE(size);
        const workers::TCalendarRequest r = Request("/c" + std::to_string(size));
        workers::DownloadNews(grid_, r);
        EXPECT_EQ(ReadBytes(r.FileName), CalendarOfSize(size));
        EXPECT_EQ(grid_.RowCount(), 4);
        EXPECT_EQ(grid_.Cells(0, 0), "DateTime");
        EXPECT_EQ(grid_.Cells(2, 1), "Payrolls");
        EXPECT_EQ(grid_.Cells(2, 2), "");
        EXPECT_EQ(grid_.Cells(0, 3), "2024.01.05 15:00");
        EXPECT_EQ(grid_.Cells(2, 3), ""); // beyond the 255-character window
    }
    EXPECT_TRUE(Messages().empty());
}

// An answer of millions of empty lines (each one an event) costs about a dozen bytes a row, and
// the window thread takes the rows in one swap instead of filling them cell by cell (the grid's
// rows come back in the table); an empty answer after it empties those rows. The benchmark of
// the calendar reports the time of both.
TEST_F(NewsDownloadTest, MillionsOfEmptyLinesStaySmallAndSwapInAtOnce) {
    constexpr int Lines = 1 << 19;
    const std::string text(Lines, '\n');
    const size_t before = testing_support::AllocatedBytes();
    TNewsTable table = ParseCalendar(text);
    EXPECT_LE(testing_support::AllocatedBytes() - before, size_t(16) * Lines);
    ASSERT_EQ(table.LastRow, Lines);

    workers::ApplyNewsTable(grid_, table);
    EXPECT_EQ(grid_.RowCount(), Lines + 1);
    EXPECT_EQ(grid_.Cells(0, 0), "DateTime");
    EXPECT_EQ(grid_.Cells(0, Lines), " ");
    EXPECT_EQ(grid_.Cells(2, 5), "");
    // The grid's previous rows came back, to be freed off the window thread.
    EXPECT_EQ(table.Rows.Cell(2, 5), "earlier 5");

    TNewsTable none = ParseCalendar("");
    workers::ApplyNewsTable(grid_, none);
    EXPECT_EQ(grid_.RowCount(), Lines + 1);
    EXPECT_EQ(grid_.Cells(0, Lines), "");
    EXPECT_EQ(grid_.Cells(6, 0), "Previous");
}

TEST_F(NewsDownloadTest, AnEmptyAnswerEmptiesTheEventRowsButKeepsTheirCount) {
    http_.Serve("/empty", "");
    http_.Start();
    const workers::TCalendarRequest r = Request("/empty");
    WriteBytes(r.FileName, "old calendar");
    workers::DownloadNews(grid_, r);
    EXPECT_EQ(ReadBytes(r.FileName), "");
    EXPECT_EQ(grid_.RowCount(), 20);
    EXPECT_EQ(grid_.Cells(2, 0), "Title");
    for (int r = 1; r < 20; ++r) EXPECT_EQ(grid_.Cells(2, r), "");
}

// Every kind of transfer failure has its own case in the inet suite; here an HTTP error, the
// default time-out of a session and a refused connection.
TEST_F(NewsDownloadTest, NetworkFailuresShowOneMessageAndLoseNothing) {
    http_.Serve("/missing", "<html>Not Found</html>", 404);
    http_.Serve("/slow", "late", 200, std::chrono::milliseconds(1000));
    http_.Start();
    inet::TInternetLimits limits;
    limits.TotalTimeoutMs = 300;
    inet::SetDefaultInternetLimits(limits);

    const testing_support::RefusedPort closed;
    const std::string refused = closed.Url();
    for (const std::string path : {"/missing", "/slow", "refused"}) {
        SCOPED_TRACE(path);
        workers::TCalendarRequest r = Request(path);
        if (path == "refused") r.Url = refused;
        WriteBytes(r.FileName, "last week's copy");
        workers::DownloadNews(grid_, r);
        EXPECT_EQ(Messages(), std::vector<std::string>{workers::DownloadErrorMessage});
        EXPECT_EQ(ReadBytes(r.FileName), "last week's copy");
        ExpectGridUntouched();
        std::lock_guard lock(messagesLock_);
        messages_.clear();
    }
    std::string body = "x";
    EXPECT_FALSE(workers::DownloadFile(refused, body));
    EXPECT_EQ(body, "");
}

TEST_F(NewsDownloadTest, ACalendarFileThatCannotBeWrittenRaisesAndKeepsTheGrid) {
    http_.Serve("/ok", "d;t;USD;News;High;1;2;3\r\n");
    http_.Start();
    workers::TCalendarRequest r = Request("/ok");
    std::filesystem::create_directory(r.FileName); // a folder stands in the file's way
    EXPECT_THROW(workers::DownloadNews(grid_, r), rtl::EInOutError);
    ExpectGridUntouched();
    EXPECT_TRUE(Messages().empty());
}

TEST_F(NewsDownloadTest, OverlappingWorkerRunsKeepTheCalendarFileWhole) {
    std::string body;
    for (int i = 0; i < 3000; ++i)
        body += "2024.01.0" + std::to_string(1 + i % 5) + ";10:" + std::to_string(10 + i % 50) +
                ";USD;Event " + std::to_string(i) + ";Low;;1.0;0.9\r\n" + (i % 7 ? "" : "0\r\n");
    std::string agent, query;
    std::mutex seen;
    http_.Server().Get("/calendar.php", [&](const httplib::Request& req, httplib::Response& res) {
        {
            std::lock_guard lock(seen);
            agent = req.get_header_value("User-Agent");
            query = req.get_param_value("csv") + "|" + req.get_param_value("date") + "|" +
                    req.get_param_value("calendar[]");
        }
        res.set_content(body, "text/csv");
    });
    http_.Start();
    workers::SetCalendarBaseUrl(http_.Url("/"));
    const workers::TCalendarRequest week =
        workers::MakeCalendarRequest(rtl::Now(), workers::CalendarBaseUrl());
    {
        testing_support::CurrentDir here(dir_.Path());
        tk::TWorkers workers;
        for (int i = 0; i < 6; ++i) new TTestThread_1(workers, &grid_);
        ASSERT_TRUE(workers.WaitForWorkers(std::chrono::seconds(60)));
    }
    workers::SetCalendarBaseUrl("");
    EXPECT_EQ(agent, "Ormund 5.x");
    EXPECT_EQ(query, "1|" + week.Year + week.Month + week.Day + "|4");
    // The copy lies beside the program (this test's), not in the current folder.
    const std::string copy = workers::KeptFilesFolder() + week.FileName;
    EXPECT_EQ(ReadBytes(copy), body);
    std::filesystem::remove(copy);
    EXPECT_FALSE(std::filesystem::exists(dir_.File(week.FileName)));
    const TNewsTable expected = ParseCalendar(body);
    EXPECT_EQ(grid_.RowCount(), expected.LastRow + 1);
    EXPECT_EQ(grid_.Cells(2, 0), "Title");
    for (int r = 1; r <= expected.LastRow; ++r)
        for (int c = 0; c < 7; ++c) ASSERT_EQ(grid_.Cells(c, r), expected.Rows.Cell(c, r));
    EXPECT_TRUE(Messages().empty());
}

// A calendar file stands in for the service: its events fill the grid and give the news tags
// of their minutes, and no copy is kept. A file that cannot be read goes the failed download's
// way, its reason on standard error.
TEST_F(NewsDownloadTest, ACalendarFileStandsInForTheService) {
    const std::string file = dir_.File("week_1998.csv");
    std::string body = "1998.03.02;13:30;USD;Payrolls;High;1;2;3\r\n0\r\n"
                       "1998.03.02;13:30;EUR;Rates;Low;;;\r\n";
    // The tags pass over the last nine rows.
    for (int i = 0; i < 9; ++i) body += "1998.03.06;20:00;USD;Late;Low;;;\r\n";
    WriteBytes(file, body);
    // The service is not asked: its address refuses.
    const testing_support::RefusedPort closed;
    workers::SetCalendarBaseUrl(closed.Url());
    workers::SetCalendarFile(file);
    workers::DownloadNews(grid_);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(grid_.RowCount(), 13);
    EXPECT_EQ(grid_.Cells(0, 0), "DateTime");
    EXPECT_EQ(grid_.Cells(0, 1), "1998.03.02 13:30");
    EXPECT_EQ(grid_.Cells(2, 1), "Payrolls");
    EXPECT_EQ(grid_.Cells(2, 2), "");
    EXPECT_EQ(grid_.Cells(1, 3), "EUR");
    EXPECT_EQ(workers::NewsTags(grid_, "1998.03.02 13:30"), ",USD_Payrolls,EUR_Rates");
    const workers::TCalendarRequest week =
        workers::MakeCalendarRequest(rtl::Now(), workers::CalendarBaseUrl());
    EXPECT_FALSE(std::filesystem::exists(workers::KeptFilesFolder() + week.FileName));

    workers::SetCalendarFile(dir_.File("missing.csv"));
    testing::internal::CaptureStderr();
    workers::DownloadNews(grid_);
    const std::string said = testing::internal::GetCapturedStderr();
    workers::SetCalendarFile("");
    workers::SetCalendarBaseUrl("");
    EXPECT_EQ(Messages(), std::vector<std::string>{workers::DownloadErrorMessage});
    EXPECT_NE(said.find("missing.csv"), std::string::npos) << said;
    EXPECT_EQ(grid_.RowCount(), 13);
    EXPECT_EQ(grid_.Cells(2, 1), "Payrolls");
}
