// Replays through the window: a recorded session played back by the embedded host, the
// replay's position and keys, and a recording that meets a write failure later on.
#include "AppTestEnv.h"

#include "FeedCounters.h"
#include "replay/Readers.h"
#include "replay/RecordingWriter.h"
#include "workers/SaveRun.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;
using hostsim::HostControl;

namespace {

std::string Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every cell of the grid, row by row.
std::vector<std::string> Cells(tk::TStringGrid* grid) {
    std::vector<std::string> cells;
    for (int r = 0; r < grid->RowCount(); ++r)
        for (int c = 0; c < grid->ColCount(); ++c) cells.push_back(grid->Cells(c, r));
    return cells;
}

class ReplayTest : public WindowTest {
protected:
    void LogOn(TForm1& form) {
        form.Edit34->SetText("u");
        form.Edit35->SetText("p");
        form.Edit36->SetText("1");
        form.Button1Click();
    }
    // Saves as "S" does into a folder of its own; the sheets of the grids, by name.
    std::vector<std::pair<std::string, std::string>> Save(TForm1& form, const std::string& into) {
        workers::SetSaveFolder(workDir + "/" + into);
        char key = 'S';
        form.FormKeyPress(key);
        form.Workers().WaitForWorkers();
        workers::SetSaveFolder("");
        std::vector<std::pair<std::string, std::string>> sheets;
        for (const auto& entry : fs::recursive_directory_iterator(workDir + "/" + into))
            if (entry.path().extension() == ".xls")
                sheets.emplace_back(entry.path().filename().string(), Bytes(entry.path()));
        std::sort(sheets.begin(), sheets.end());
        return sheets;
    }
};

} // namespace

// A live session recorded and replayed as fast as possible gives the same quote grid, byte for
// byte in its saved sheets, and the same Level 2 books.
TEST_F(ReplayTest, ARecordedSessionReplaysToTheSameGridsAndSheets) {
    const std::string recording = workDir + "/session.csv";
    std::vector<std::pair<std::string, std::string>> live;
    std::vector<std::string> liveBooks[2];
    int32_t quotes = 0, bids = 0, asks = 0;
    {
        auto form = CreatedForm();
        form->StartRecording(recording);
        LogOn(*form);
        for (int i = 0; i < 20; ++i) {
            HostControl::DeliverNext(hostsim::FeedKind::Quote, 1);
            HostControl::DeliverNext(hostsim::FeedKind::Level2, 3);
        }
        quotes = FeedCounters.QuoteRows;
        bids = FeedCounters.BidRows;
        asks = FeedCounters.AskRows;
        ASSERT_EQ(quotes, 20);
        ASSERT_GT(bids, 0);
        ASSERT_GT(asks, 0);
        live = Save(*form, "live");
        liveBooks[0] = Cells(form->StringGrid2);
        liveBooks[1] = Cells(form->StringGrid3);
    } // the window closes the recording
    ASSERT_EQ(live.size(), 4u);

    hostsim::RevokeSimulatedHost();
    hostsim::HostOptions options;
    options.HealthIntervalMs = 0;
    options.Replay.files = {recording};
    options.Replay.play.asFastAsPossible = true;
    std::ostringstream log;
    hostsim::RegisterSimulatedHost(options, &log);
    auto form = CreatedForm();
    LogOn(*form);
    for (int wait = 0; wait < 100 && log.str().find("replay ended") == std::string::npos; ++wait)
        QTest::qWait(50);
    QTest::qWait(50); // the last records posted before the end was told
    EXPECT_NE(log.str().find("replay ended: 80 records played, 0 malformed lines skipped"),
              std::string::npos)
        << log.str();
    EXPECT_EQ(FeedCounters.QuoteRows, quotes);
    EXPECT_EQ(FeedCounters.BidRows, bids);
    EXPECT_EQ(FeedCounters.AskRows, asks);
    EXPECT_EQ(Cells(form->StringGrid2), liveBooks[0]);
    EXPECT_EQ(Cells(form->StringGrid3), liveBooks[1]);
    const auto replayed = Save(*form, "replayed");
    ASSERT_EQ(replayed.size(), live.size());
    for (size_t i = 0; i < live.size(); ++i) {
        EXPECT_EQ(replayed[i].first, live[i].first);
        EXPECT_TRUE(replayed[i].second == live[i].second) << live[i].first << " differs";
    }
}

namespace {

// 2024-03-01 12:00:00 UTC, in microseconds since 1970.
constexpr int64_t kStartUs = 1709294400000000;

// Ten EUR/USD quotes a second apart from kStartUs, bids 1.1 to 1.9.
std::string TenSeconds(const std::string& folder) {
    const std::string path = folder + "/ten.csv";
    replay::RecordingWriter writer(path);
    com::Bstr symbol(u"EUR/USD");
    for (int i = 0; i < 10; ++i) {
        hox::QuoteRecord q{};
        q.bstrSymbol = symbol.get();
        q.dBid = 1.1 + i / 10.0;
        q.dAsk = q.dBid + 0.0002;
        q.UTCDateTime = replay::DateTimeOfUnixUs(kStartUs + i * 1000000);
        writer.WriteQuote(q, kStartUs + i * 1000000);
    }
    return path;
}

std::string Shown(TForm1& form) {
    return form.ReplayBar.Label() ? form.ReplayBar.Label()->text().toStdString() : "";
}

bool WaitFor(const std::function<bool()>& done) {
    for (int wait = 0; wait < 100 && !done(); ++wait) QTest::qWait(50);
    return done();
}

} // namespace

TEST(ReplayText, TellsTimePercentAndState) {
    hox::ReplayPosition p{com::VARIANT_TRUE, kStartUs + 1250000, 37.4, 0, 0};
    EXPECT_EQ(TReplayBar::Text(p), "Replay 2024-03-01 12:00:01.250  37 %");
    p.paused = com::VARIANT_TRUE;
    p.recordUs = -1000; // a millisecond before 1970
    EXPECT_EQ(TReplayBar::Text(p), "Replay 1969-12-31 23:59:59.999  37 %  paused");
    p.ended = com::VARIANT_TRUE;
    p.recordUs = 0; // before the first record
    p.percent = 100;
    EXPECT_EQ(TReplayBar::Text(p), "Replay  100 %  ended");
    // A host's stray values: no time beyond the calendar, a percent kept to 0..100.
    p.recordUs = INT64_MIN;
    p.percent = std::nan("");
    EXPECT_EQ(TReplayBar::Text(p), "Replay  0 %  ended");
    p.recordUs = INT64_MAX;
    p.percent = 1e300;
    EXPECT_EQ(TReplayBar::Text(p), "Replay  100 %  ended");
}

// The status bar shows where the embedded host's replay stands; Ctrl+P pauses and resumes it,
// Ctrl+J jumps to a time typed into the box. Without a replay nothing of it shows.
TEST_F(ReplayTest, TheStatusBarShowsThePositionAndTheKeysSteerIt) {
    {
        auto form = CreatedForm();
        EXPECT_EQ(form->ReplayBar.Label(), nullptr);
        EXPECT_EQ(form->StatusBar1->findChildren<QLineEdit*>().size(), 0);
        QTest::keyClick(form->Edit34, Qt::Key_P, Qt::ControlModifier);
        EXPECT_EQ(form->StatusBar1->SimpleText(), "");
    }
    hostsim::RevokeSimulatedHost();
    hostsim::HostOptions options;
    options.HealthIntervalMs = 0;
    options.Replay.files = {TenSeconds(workDir)};
    std::ostringstream log;
    hostsim::RegisterSimulatedHost(options, &log);
    auto form = CreatedForm();
    ASSERT_NE(form->ReplayBar.Label(), nullptr);
    // Before the first record: no time yet (the percent is of the bytes read ahead).
    EXPECT_EQ(Shown(*form).substr(0, 8), "Replay  ");
    LogOn(*form);
    ASSERT_TRUE(WaitFor([&] { return FeedCounters.QuoteRows >= 1; }));
    QTest::keyClick(form->Edit34, Qt::Key_P, Qt::ControlModifier);
    const std::string paused = Shown(*form);
    EXPECT_EQ(paused.substr(0, 25), "Replay 2024-03-01 12:00:0") << paused;
    EXPECT_EQ(paused.substr(paused.size() - 8), "  paused") << paused;
    const int32_t rows = FeedCounters.QuoteRows;
    QTest::qWait(1300);
    EXPECT_EQ(FeedCounters.QuoteRows, rows); // nothing comes while paused

    QTest::keyClick(form->Edit34, Qt::Key_J, Qt::ControlModifier);
    QLineEdit* box = form->ReplayBar.JumpBox();
    ASSERT_FALSE(box->isHidden());
    QTest::keyClicks(box, "tomorrow");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(Shown(*form), "Replay: not a time: tomorrow");
    EXPECT_FALSE(box->isHidden());
    box->clear();
    QTest::keyClicks(box, "2024-03-01 12:00:07");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(box->isHidden());
    // The records before the time were passed over: the last of them is the position.
    EXPECT_EQ(Shown(*form).substr(0, 30), "Replay 2024-03-01 12:00:06.000");
    QTest::keyClick(form->Edit34, Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return FeedCounters.QuoteRows == rows + 1; }));
    EXPECT_EQ(form->StringGrid1->Cells(1, rows + 1), "1.8");
    EXPECT_TRUE(WaitFor([&] { return Shown(*form).find("12:00:07.000") != std::string::npos; }))
        << Shown(*form);
}

// A recording that cannot be written any further (the file size limit here, as a full disk
// would) stops: it is told once on standard error, the file keeps its whole lines, and the
// window goes on with the records.
TEST_F(ReplayTest, ARecordingThatFailsLaterStopsAndTheWindowGoesOn) {
    for (const std::string name : {"full.csv", "full.csv.gz"}) {
        SCOPED_TRACE(name);
        const std::string path = workDir + "/" + name;
        auto form = CreatedForm();
        form->StartRecording(path);
        LogOn(*form);
        const std::string told = workDir + "/stderr.txt";
        const int savedErr = dup(2);
        const int toldFd = open(told.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(toldFd, 2);
        close(toldFd);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
        // Three seconds of records, each second flushed; after the first the file may grow
        // only a little.
        for (int second = 0; second < 3; ++second) {
            for (int i = 0; i < 20; ++i) {
                HostControl::DeliverNext(hostsim::FeedKind::Quote, 1);
                HostControl::DeliverNext(hostsim::FeedKind::Level2, 1);
            }
            QTest::qWait(1100);
            if (second > 0) continue;
            rlimit limit = saved;
            limit.rlim_cur = fs::file_size(path) + 100;
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedSignal);
        dup2(savedErr, 2);
        close(savedErr);
        EXPECT_EQ(FeedCounters.QuoteRows, 60);
        const std::string text = Bytes(told);
        EXPECT_EQ(text.rfind("hoxdesk: " + path + ": recording stopped (", 0), 0u) << text;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
        // Whole lines only, fewer than were delivered.
        std::ostringstream log;
        int64_t records = 0;
        try {
            auto reader = replay::OpenReader(path, {}, log);
            for (replay::Record r; reader->Next(r);) ++records;
        } catch (const replay::ReplayError&) {
            // a gzip stream without its end: its whole lines read back first
        }
        // The first second's; gzip lets a few more through before the limit.
        EXPECT_GE(records, 40);
        EXPECT_LT(records, name.ends_with(".gz") ? 60 : 41);
        EXPECT_EQ(log.str().find("line "), std::string::npos) << log.str();
    }
}
