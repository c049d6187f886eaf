#include "host/ReplaySource.h"
#include "host/ReplayOptions.h"
#include "replay/RecordingWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

struct Collect final : hostsim::RecordSink {
    void OnQuote(const hox::QuoteRecord& r) override {
        std::lock_guard guard(lock);
        got.push_back("Q " + Narrow(r.bstrSymbol) + " " + Narrow(r.bstrCompany) + " " +
                      std::to_string(r.dBid) + " " + std::to_string(r.tick));
    }
    void OnLevel2(const hox::Level2Record& r) override {
        std::lock_guard guard(lock);
        got.push_back("L " + Narrow(r.bstrSymbol) + " " + Narrow(r.bstrMMID));
    }
    static std::string Narrow(const char16_t* text) {
        const auto view = com::BstrView(text);
        return std::string(view.begin(), view.end());
    }
    size_t Count() {
        std::lock_guard guard(lock);
        return got.size();
    }
    std::mutex lock;
    std::vector<std::string> got;
};

// A replay serves the watched symbols and kinds in the recorded order, with their texts.
TEST(ReplaySource, ServesTheWatchedRecordsInOrder) {
    const std::string path = std::filesystem::temp_directory_path() /
                             ("replay_source_" + std::to_string(::getpid()) + ".csv.gz");
    {
        com::Bstr eur(u"EUR/USD"), gbp(u"GBP/USD"), fx(u"FX"), company(u"Euro, Dollar"), mm(u"MM");
        replay::RecordingWriter writer(path);
        for (int i = 1; i <= 3; ++i) {
            hox::QuoteRecord q{};
            q.bstrSymbol = (i == 2 ? gbp : eur).get();
            q.bstrMarket = fx.get();
            q.bstrCompany = company.get();
            q.dBid = i;
            q.tick = uint32_t(i);
            writer.WriteQuote(q, 1000 * i);
            hox::Level2Record l{eur.get(), mm.get(), nullptr, 100, 1.5, 1, 0, 46000};
            writer.WriteLevel2(l, 1000 * i + 1);
        }
    }
    std::ostringstream log;
    auto player = std::make_unique<replay::Player>(replay::Player::FileOpeners({path}, {}, log),
                                                   replay::PlayOptions{1, true, false},
                                                   hostsim::SteadyNowUs, log);
    auto source = hostsim::MakeReplaySource(std::move(player), log);
    source->Watch(u"EUR/USD", hostsim::FeedKind::Quote, true);
    source->Watch(u"GBP/USD", hostsim::FeedKind::Level2, true);
    Collect sink;
    source->Start(sink);
    for (int i = 0; i < 500 && sink.Count() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    source->Stop();
    std::filesystem::remove(path);
    EXPECT_EQ(sink.got, (std::vector<std::string>{"Q EUR/USD Euro, Dollar 1.000000 1",
                                                  "Q EUR/USD Euro, Dollar 3.000000 3"}));
}

// As fast as possible, the replay's thread holds its lock from record to record; a position
// asked meanwhile is answered between two records, not at the end.
TEST(ReplaySource, AsFastAsPossibleItTellsItsPositionMidway) {
    constexpr int kRecords = 20000;
    const std::string path = std::filesystem::temp_directory_path() /
                             ("replay_midway_" + std::to_string(::getpid()) + ".csv");
    {
        com::Bstr eur(u"EUR/USD");
        replay::RecordingWriter writer(path);
        for (int i = 1; i <= kRecords; ++i) {
            hox::QuoteRecord q{};
            q.bstrSymbol = eur.get();
            q.tick = uint32_t(i);
            writer.WriteQuote(q, i);
        }
    }
    std::ostringstream log;
    auto player = std::make_unique<replay::Player>(replay::Player::FileOpeners({path}, {}, log),
                                                   replay::PlayOptions{1, true, false},
                                                   hostsim::SteadyNowUs, log);
    auto source = hostsim::MakeReplaySource(std::move(player), log);
    source->Watch(u"EUR/USD", hostsim::FeedKind::Quote, true);
    Collect sink;
    source->Start(sink);
    for (int i = 0; i < 500 && sink.Count() == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    hostsim::ReplayStatus status;
    ASSERT_TRUE(source->Status(status));
    source->Stop();
    std::filesystem::remove(path);
    EXPECT_GT(status.positionUs, 0);
    EXPECT_LT(status.positionUs, kRecords);
    EXPECT_FALSE(status.ended);
}

} // namespace

// Started with --paused (and --from), a replay serves nothing until it is resumed, then goes on
// from the record the jump found.
TEST(ReplaySource, StartedPausedItWaitsForResume) {
    const std::string path = std::filesystem::temp_directory_path() /
                             ("replay_paused_" + std::to_string(::getpid()) + ".csv");
    {
        com::Bstr eur(u"EUR/USD");
        replay::RecordingWriter writer(path);
        for (int i = 0; i < 3; ++i) {
            hox::QuoteRecord q{};
            q.bstrSymbol = eur.get();
            q.tick = uint32_t(i);
            writer.WriteQuote(q, 1000000 * int64_t(i));
        }
    }
    const char* args[] = {"hoxhost", "--replay", path.c_str(),           "--speed",
                          "max",     "--from",   "1970-01-01T00:00:01Z", "--paused"};
    hostsim::ReplayOptions options;
    for (int i = 1; i < 8; ++i)
        ASSERT_TRUE(hostsim::ParseReplayOption(8, const_cast<char**>(args), i, options)) << i;
    std::ostringstream log;
    auto source = hostsim::OpenReplay(options, log);
    source->Watch(u"EUR/USD", hostsim::FeedKind::Quote, true);
    Collect sink;
    source->Start(sink);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(sink.Count(), 0u);
    hostsim::ReplayStatus status;
    ASSERT_TRUE(source->Status(status));
    EXPECT_TRUE(status.paused);
    source->SetPaused(false);
    for (int i = 0; i < 500 && sink.Count() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    source->Stop();
    std::filesystem::remove(path);
    EXPECT_EQ(sink.got,
              (std::vector<std::string>{"Q EUR/USD  0.000000 1", "Q EUR/USD  0.000000 2"}));
}
