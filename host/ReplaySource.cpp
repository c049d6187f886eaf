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
        std::lock_guard guard(lock_);
        if (watched)
            watched_.emplace(std::u16string(symbol), kind);
        else
            watched_.erase({std::u16string(symbol), kind});
    }

private:
    // Holds the lock while it delivers, so Watch and Stop wait for a record under way.
    void Run(RecordSink& sink) override {
        std::unique_lock lk(lock_);
        replay::Record record;
        int64_t played = 0;
        while (!stopping_) {
            const auto due = player_->DueAt();
            if (!due) {
                if (player_->Ended()) {
                    log_ << "replay ended: " << played << " records played, " << player_->Skipped()
                         << " malformed lines skipped\n";
                    wake_.wait(lk, [this] { return stopping_; });
                } else {
                    wake_.wait_for(lk, std::chrono::milliseconds(100)); // paused
                }
                continue;
            }
            const int64_t wait = *due - SteadyNowUs();
            if (wait > 0) {
                wake_.wait_for(lk, std::chrono::microseconds(wait));
                continue;
            }
            if (!player_->Take(record)) continue;
            ++played;
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
