#include "replay/Player.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using replay::Player;
using replay::Record;

// Two headerless tick files a second apart per tick, the second half a second behind the first:
// arrivals 0, 0.5, 1, 1.5, 2, 2.5 s after 1 January 1999 00:00:00.
struct Replay {
    explicit Replay(replay::PlayOptions options,
                    std::vector<std::string> texts = {
                        "19990101 000000000,1.0,1.1,0\n19990101 000001000,1.0,1.1,0\n19990101 "
                        "000002000,1.0,1.1,0\n",
                        "19990101 000000500,2.0,2.1,0\n19990101 000001500,2.0,2.1,0\n"
                        "19990101 000002500,2.0,2.1,0\n"}) {
        std::vector<Player::Opener> openers;
        for (const std::string& text : texts)
            openers.push_back([text, this] {
                return replay::OpenReader(replay::MemoryInput(text), "t", {}, log);
            });
        player = std::make_unique<Player>(
            std::move(openers), options, [this] { return now; }, log);
    }
    // Milliseconds after the first record of each record taken until the clock reaches untilMs.
    std::vector<int64_t> Run(int64_t untilMs, int64_t stepMs = 1) {
        std::vector<int64_t> taken;
        for (; now <= untilMs * 1000; now += stepMs * 1000)
            for (Record r; player->Take(r);) taken.push_back((r.arrivalUs - Start) / 1000);
        now -= stepMs * 1000;
        return taken;
    }
    static constexpr int64_t Start = 915148800000000; // 1999-01-01 in microseconds since 1970
    int64_t now = 0;
    std::ostringstream log;
    std::unique_ptr<Player> player;
};

TEST(Player, MergesFilesAndKeepsTheGapsDividedByTheSpeed) {
    Replay normal({1.0, false, false});
    // The percent counts the lines read, each file one record ahead: not the read-ahead.
    EXPECT_NEAR(normal.player->Percent(), 100.0 / 3, 1e-9);
    EXPECT_EQ(normal.Run(999), (std::vector<int64_t>{0, 500}));
    EXPECT_NEAR(normal.player->Percent(), 200.0 / 3, 1e-9);
    EXPECT_EQ(normal.player->PositionUs(), Replay::Start + 500000);
    EXPECT_EQ(normal.Run(2500), (std::vector<int64_t>{1000, 1500, 2000, 2500}));
    EXPECT_TRUE(normal.player->Ended());
    EXPECT_EQ(normal.player->Percent(), 100.0);

    Replay fast({4.0, false, false});
    EXPECT_EQ(fast.Run(374), (std::vector<int64_t>{0, 500, 1000})); // 0, 125, 250 ms
    EXPECT_EQ(*fast.player->DueAt(), 375000);

    Replay max({1.0, true, false});
    EXPECT_EQ(max.Run(0), (std::vector<int64_t>{0, 500, 1000, 1500, 2000, 2500}));
    EXPECT_FALSE(max.player->DueAt());
}

TEST(Player, PausesResumesJumpsAndLoops) {
    Replay r({1.0, false, false});
    EXPECT_EQ(r.Run(600), (std::vector<int64_t>{0, 500}));
    r.player->Pause();
    EXPECT_EQ(r.Run(5000), std::vector<int64_t>{});
    r.player->Resume(); // at 5 s the record due at 1 s is still 400 ms away
    EXPECT_EQ(r.Run(5399), std::vector<int64_t>{});
    EXPECT_EQ(r.Run(5400), (std::vector<int64_t>{1000}));

    r.player->JumpTo(Replay::Start + 2200000); // forward: 2.5 s plays at once
    EXPECT_EQ(r.Run(5401), (std::vector<int64_t>{2500}));
    r.player->JumpTo(Replay::Start + 500000); // back, from 0.5 s, gaps kept
    EXPECT_EQ(r.Run(6401), (std::vector<int64_t>{500, 1000, 1500}));

    Replay loop({1.0, false, true}, {"19990101 000000000,1.0,1.1,0\n19990101 000001000,1.0,1.1,0\n"
                                     "bad\n"});
    EXPECT_EQ(loop.Run(3000, 250), (std::vector<int64_t>{0, 1000, 0, 1000, 0, 1000, 0}));
    EXPECT_FALSE(loop.player->Ended());
    EXPECT_EQ(loop.player->Skipped(), 3);
}

} // namespace
