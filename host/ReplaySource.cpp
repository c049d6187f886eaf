#include "host/ReplaySource.h"
#include "ThreadedSource.h"

#include <chrono>
#include <ostream>
#include <set>

namespace hostsim {

int64_t SteadyNowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

namespace {

class ReplaySource final : public ThreadedSource {
public:
    ReplaySource(std::unique_ptr<replay::Player> player, std::ostream& log)
        : player_(std::move(player)), log_(log) {}
    ~ReplaySource() override { Stop(); }

    void Watch(std::u16string_view symbol, FeedKind kind, bool watched) override {
        {
            auto guard = Enter();
            if (watched)
                watched_.emplace(std::u16string(symbol), kind);
            else
                watched_.erase({std::u16string(symbol), kind});
        }
        wake_.notify_all();
    }

    bool Status(ReplayStatus& status) override {
        {
            auto guard = Enter();
            status.positionUs = player_->PositionUs();
            status.percent = player_->Percent();
            status.paused = player_->Paused();
            status.ended = player_->Ended();
        }
        wake_.notify_all();
        return true;
    }

    void SetPaused(bool paused) override {
        {
            auto guard = Enter();
            if (paused)
                player_->Pause();
            else
                player_->Resume();
        }
        wake_.notify_all();
    }

    void JumpTo(int64_t recordUs) override {
        {
            auto guard = Enter();
            player_->JumpTo(recordUs);
        }
        wake_.notify_all();
    }

private:
    // Holds the lock while it delivers, so Watch and Stop wait for a record under way; as fast
    // as possible it lets them in between records.
    void Run(RecordSink& sink) override {
        std::unique_lock lk(lock_);
        replay::Record record;
        int64_t played = 0;
        bool told = false;   // the end was told
        int64_t beginAt = 0; // steady clock; 0 until the first watch
        while (true) {
            LetIn(lk);
            if (stopping_) break;
            // The replay begins a moment after its first watcher, so a desk that subscribes
            // after the host started sees it from the start, with all it subscribes at once.
            if (beginAt == 0 && watched_.empty()) {
                wake_.wait(lk);
                continue;
            }
            if (beginAt == 0) beginAt = SteadyNowUs() + BeginAfterUs;
            if (played == 0 && SteadyNowUs() < beginAt) {
                wake_.wait_for(lk, std::chrono::microseconds(beginAt - SteadyNowUs()));
                continue;
            }
            const auto due = player_->DueAt();
            if (!due) {
                // At the end a jump back may start it again.
                if (player_->Ended() && !told) {
                    log_ << "replay ended: " << played << " records played, " << player_->Skipped()
                         << " malformed lines skipped\n";
                    told = true;
                }
                wake_.wait_for(lk, std::chrono::milliseconds(100));
                continue;
            }
            const int64_t wait = *due - SteadyNowUs();
            if (wait > 0 || sink.Behind()) {
                wake_.wait_for(lk, std::chrono::microseconds(wait > 0 ? wait : 1000));
                continue;
            }
            if (!player_->Take(record)) continue;
            ++played;
            told = false;
            const bool quote = record.kind == replay::RecordKind::Quote;
            if (!watched_.count({record.text[0], quote ? FeedKind::Quote : FeedKind::Level2}))
                continue;
            if (quote) {
                hox::QuoteRecord q = record.quote;
                com::BSTR* texts[] = {&q.bstrSymbol, &q.bstrMarket, &q.bstrCompany,
                                      &q.bstrUnderlier};
                for (int i = 0; i < 4; ++i) {
                    strings_[i] = com::Bstr(record.text[i]);
                    *texts[i] = strings_[i].get();
                }
                sink.OnQuote(q);
            } else {
                hox::Level2Record l = record.level2;
                com::BSTR* texts[] = {&l.bstrSymbol, &l.bstrMMID, &l.bstrSource};
                for (int i = 0; i < 3; ++i) {
                    strings_[i] = com::Bstr(record.text[i]);
                    *texts[i] = strings_[i].get();
                }
                sink.OnLevel2(l);
            }
        }
    }

    static constexpr int64_t BeginAfterUs = 200000;

    std::unique_ptr<replay::Player> player_;
    std::ostream& log_;
    std::set<std::pair<std::u16string, FeedKind>> watched_;
    com::Bstr strings_[4];
};

} // namespace

std::unique_ptr<RecordSource> MakeReplaySource(std::unique_ptr<replay::Player> player,
                                               std::ostream& log) {
    return std::make_unique<ReplaySource>(std::move(player), log);
}

} // namespace hostsim
