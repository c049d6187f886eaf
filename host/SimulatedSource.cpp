#include "host/RecordSource.h"

#include "FeedModel.h"
#include "HostProcess.h"
#include "ThreadedSource.h"

#include <algorithm>
#include <chrono>
#include <map>

namespace hostsim {

namespace {

class SimulatedSource final : public ThreadedSource {
public:
    SimulatedSource(uint64_t seed, double rate) : seed_(seed), rate_(std::max(rate, 0.0)) {}
    ~SimulatedSource() override { Stop(); }

    void Watch(std::u16string_view symbol, FeedKind kind, bool watched) override {
        std::lock_guard guard(lock_);
        auto it = symbols_.find(std::u16string(symbol));
        if (it == symbols_.end()) {
            if (!watched) return;
            it = symbols_.try_emplace(std::u16string(symbol), symbol, seed_).first;
        }
        (kind == FeedKind::Quote ? it->second.quotes : it->second.level2) = watched;
    }

private:
    struct Symbol {
        Symbol(std::u16string_view name, uint64_t seed) : model(name, seed) {}
        FeedModel model; // kept while unwatched, so a symbol watched again walks on
        bool quotes = false, level2 = false;
    };

    // Paces by the records due since the start rather than by sleeping one period per record,
    // so rates beyond the timer's resolution hold; a source that fell behind (a busy machine)
    // resumes its pace instead of bursting.
    void Run(RecordSink& sink) override {
        using Clock = std::chrono::steady_clock;
        if (rate_ <= 0) return;
        const auto period = std::chrono::duration<double>(1.0 / rate_);
        const auto tick = std::max<Clock::duration>(
            std::chrono::duration_cast<Clock::duration>(period), std::chrono::milliseconds(1));
        const int maxBurst = std::max(1, int(rate_ / 10));
        auto start = Clock::now();
        int64_t made = 0;
        std::unique_lock lk(lock_);
        while (!stopping_) {
            wake_.wait_until(lk, Clock::now() + tick);
            if (stopping_) break;
            const auto now = Clock::now();
            int64_t due = int64_t((now - start) / period) - made;
            if (due > maxBurst) {
                start = now - std::chrono::duration_cast<Clock::duration>(period *
                                                                          double(made + maxBurst));
                due = maxBurst;
            }
            for (; due > 0 && !stopping_; --due, ++made) {
                const rtl::TDateTime stamp = HostProcess::Get().Now();
                for (auto& [name, symbol] : symbols_) {
                    if (symbol.quotes) {
                        OwnedQuote q = symbol.model.NextQuote(stamp);
                        QuoteCall call(q);
                        sink.OnQuote(*call.Record());
                    }
                    if (symbol.level2) {
                        OwnedLevel2 e = symbol.model.NextLevel2(stamp);
                        Level2Call call(e);
                        sink.OnLevel2(*call.Record());
                    }
                }
            }
        }
    }

    const uint64_t seed_;
    const double rate_;
    std::map<std::u16string, Symbol> symbols_;
};

} // namespace

std::unique_ptr<RecordSource> MakeSimulatedSource(uint64_t seed, double ratePerSecond) {
    return std::make_unique<SimulatedSource>(seed, ratePerSecond);
}

} // namespace hostsim
