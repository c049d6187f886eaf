// Replays through the window: a recorded session played back by the embedded host, and a
// recording that meets a write failure later on.
#include "AppTestEnv.h"

#include "FeedCounters.h"
#include "workers/SaveRun.h"

#include <QTest>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

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
